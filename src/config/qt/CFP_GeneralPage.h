#pragma once

#include "config/GeneralPageState.h"

#include <QWidget>

class CSpinButton;
class CTreeListDoc;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QRadioButton;

// The farm General page: connection type, phone number, connect-on-start-up and serial port of
// one farm, edited in a working copy and written through the document by Apply and OK. While
// the farm is connected the page is read-only and keeps the alarm station's size query running
// (the sheet ends it when it closes).
class CFP_GeneralPage : public QWidget {
    Q_OBJECT

public:
    CFP_GeneralPage(CTreeListDoc& document, const FarmParameters& parameters,
                    QWidget* parent = nullptr);

    // Apply and OK: writes the working values, changed or not. False when the page refuses
    // its values (a phone number the dial command cannot hold): nothing is written then and
    // the sheet stays open.
    bool OnApply();

    const GeneralPageState& State() const { return m_state; }
    bool Modified() const { return m_state.Modified(); }
    // True when the page started the station's size query, which the sheet must end.
    bool StartedStationQuery() const { return m_bStartedStationQuery; }
    QString Title() const;
    // The page's message to the operator ("" when there is none).
    QString Message() const;

    QRadioButton* Radio(int type) const;
    QLineEdit* PhoneEdit() const { return m_pPhone; }
    QCheckBox* StartupCheck() const { return m_pStartup; }
    QLabel* PortLabel() const { return m_pPortName; }
    CSpinButton* Spin() const { return m_pSpin; }
    // The first control the keyboard reaches.
    QWidget* FirstField() const;

signals:
    // The unchanged test's result: the sheet's Apply button follows it.
    void modifiedChanged(bool modified);

private:
    void OnRadio(int type);
    void OnPhoneEdited(const QString& text);
    void OnStartupToggled(bool checked);
    void OnSpin(int steps);
    void Edited(bool modified);
    void ShowMessage(const QString& message);
    void PhoneCheck();

    CTreeListDoc& m_document;
    GeneralPageState m_state;
    bool m_bStartedStationQuery = false;

    std::array<QRadioButton*, 3> m_pRadio{};
    QLineEdit* m_pPhone = nullptr;
    QLabel* m_pPhoneLabel = nullptr;
    QCheckBox* m_pStartup = nullptr;
    QLabel* m_pPortName = nullptr;
    CSpinButton* m_pSpin = nullptr;
    QLabel* m_pMessage = nullptr;
};

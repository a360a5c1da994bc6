#pragma once

#include "kiln/PalettePageState.h"
#include "kiln/qt/PaletteSheetSink.h"

#include <QWidget>

#include <array>
#include <cstdint>

class CSpinButton;
class CTreeListDoc;
class QLabel;
class QLineEdit;
class QPushButton;

// The controller page: the live values of one unit and the Standby/Run switch. The kiln list
// drives it while its sheet is open (UpdateDynamic, nOTIFYoFsTATUS, nOTIFYoFsTARTUPsCANsTATUS);
// the operator toggles the mode with the spin control and sends it with Apply, which commits
// through the document. What it shows is decided by PalettePageState; the page renders the
// fields each call changed.
class CPalettePage : public QWidget, public PaletteSheetSink {
    Q_OBJECT

public:
    CPalettePage(CTreeListDoc& document, bool startupScanComplete, std::uint8_t identificationCode,
                 const PaletteDisplayBlock& block, QWidget* parent = nullptr);

    void UpdateDynamic(const PaletteDisplayBlock& block);
    void nOTIFYoFsTATUS(int replyCode);
    void nOTIFYoFsTARTUPsCANsTATUS(int flag);

    // PaletteSheetSink: how the kiln list reaches the open page.
    void Refresh(const KilnRecord& record) override;
    void NotifyOfStatus(int replyCode) override;
    void NotifyOfStartupScanStatus(bool startupScanComplete) override;

    // The operator's two actions, as the spin control and the Apply button run them.
    void OnSpin();
    void OnApply();

    const PalettePageState& State() const { return m_state; }
    QString Title() const;

    // The controls, for the sheet's focus order and for tests.
    CSpinButton* Spin() const { return m_pSpin; }
    QPushButton* ApplyButton() const { return m_pApply; }
    QLineEdit* ModeBox() const { return m_pMode; }
    QLabel* HeaterValue() const { return m_pHeater; }
    QLabel* HoursValue() const { return m_pHours; }
    QLabel* IdentificationValue() const { return m_pIdentification; }
    QLabel* TemperatureValue(int rtd) const;
    QLabel* TemperatureCaption(int rtd) const;

private:
    QString Text(int id) const;
    void Render(unsigned fields);

    CTreeListDoc& m_document;
    PalettePageState m_state;

    QLabel* m_pIdentification = nullptr;
    QLabel* m_pHeater = nullptr;
    QLabel* m_pHours = nullptr;
    std::array<QLabel*, 4> m_pCaption{};
    std::array<QLabel*, 4> m_pTemperature{};
    QLineEdit* m_pMode = nullptr;
    CSpinButton* m_pSpin = nullptr;
    QPushButton* m_pApply = nullptr;
};

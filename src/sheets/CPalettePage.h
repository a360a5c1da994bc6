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
    // ticket: the unit the sheet was opened for (CTreeListDoc::OpenSheetTicket). The mode
    // switch stays locked while the document does not let that ticket commit.
    CPalettePage(CTreeListDoc& document, const SheetTicket& ticket, bool startupScanComplete,
                 std::uint8_t identificationCode, const PaletteDisplayBlock& block,
                 QWidget* parent = nullptr);

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
    QLabel* ReasonLabel() const { return m_pReason; }
    const SheetTicket& Ticket() const { return m_ticket; }
    QLabel* TemperatureValue(int rtd) const;
    QLabel* TemperatureCaption(int rtd) const;

private:
    void Render(unsigned fields);
    // Asks the document again whether this sheet may commit: the farm can disconnect or the
    // unit fall silent while nothing else reaches the page.
    void RefreshCommitBlock();

    CTreeListDoc& m_document;
    SheetTicket m_ticket;
    PalettePageState m_state;

    QLabel* m_pIdentification = nullptr;
    QLabel* m_pHeater = nullptr;
    QLabel* m_pHours = nullptr;
    std::array<QLabel*, 4> m_pCaption{};
    std::array<QLabel*, 4> m_pTemperature{};
    QLineEdit* m_pMode = nullptr;
    CSpinButton* m_pSpin = nullptr;
    QPushButton* m_pApply = nullptr;
    QLabel* m_pReason = nullptr;
};

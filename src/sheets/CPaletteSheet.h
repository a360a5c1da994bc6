#pragma once

#include "kiln/PalettePageState.h"

#include <QDialog>

#include <cstdint>

class CPalettePage;
class CTreeListDoc;
class QDialogButtonBox;
class QTabWidget;

// The controller sheet ("WRB Controller"): one Operation page, OK and Cancel. Both only close
// it: what the page sends, it sends with its own Apply. The kiln list runs it modally; the tick
// and the serial events go on under it.
class CPaletteSheet : public QDialog {
    Q_OBJECT

public:
    CPaletteSheet(CTreeListDoc& document, const SheetTicket& ticket, bool startupScanComplete,
                  std::uint8_t identificationCode, const PaletteDisplayBlock& block,
                  QWidget* parent = nullptr);

    CPalettePage& Page() { return *m_pPage; }
    QDialogButtonBox* Buttons() const { return m_pButtons; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    CPalettePage* m_pPage = nullptr;
    QTabWidget* m_pTabs = nullptr;
    QDialogButtonBox* m_pButtons = nullptr;
};

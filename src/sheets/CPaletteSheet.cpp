#include "sheets/CPaletteSheet.h"

#include "app/CTreeListDoc.h"
#include "sheets/CPalettePage.h"
#include "sheets/CSpinButton.h"
#include "widgets/UiText.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

CPaletteSheet::CPaletteSheet(CTreeListDoc& document, const SheetTicket& ticket,
                             bool startupScanComplete, std::uint8_t identificationCode,
                             const PaletteDisplayBlock& block, QWidget* parent)
    : QDialog(parent) {
    const Language language = document.GetLanguage();
    setWindowTitle(UiText(language, IDS_CONTROLLER_SHEET_TITLE, IDS_CONTROLLER_SHEET_TITLE_ES));

    m_pPage =
        new CPalettePage(document, ticket, startupScanComplete, identificationCode, block, this);
    m_pTabs = new QTabWidget(this);
    m_pTabs->addTab(m_pPage, m_pPage->Title());
    m_pTabs->setFocusPolicy(Qt::NoFocus);

    m_pButtons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_pButtons->button(QDialogButtonBox::Ok)
        ->setText(UiText(language, IDS_SHEET_OK, IDS_SHEET_OK_ES));
    m_pButtons->button(QDialogButtonBox::Cancel)
        ->setText(UiText(language, IDS_SHEET_CANCEL, IDS_SHEET_CANCEL_ES));
    m_pButtons->button(QDialogButtonBox::Ok)->setDefault(true);
    connect(m_pButtons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_pButtons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pTabs);
    layout->addWidget(m_pButtons);
    layout->setSizeConstraint(QLayout::SetMinimumSize);

    setTabOrder(m_pPage->Spin(), m_pPage->ApplyButton());
    setTabOrder(m_pPage->ApplyButton(), m_pButtons->button(QDialogButtonBox::Ok));
    setTabOrder(m_pButtons->button(QDialogButtonBox::Ok),
                m_pButtons->button(QDialogButtonBox::Cancel));
}

void CPaletteSheet::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // The operator's first field is the mode switch; while it is locked, OK.
    if (m_pPage->Spin()->isEnabled()) {
        m_pPage->Spin()->setFocus(Qt::OtherFocusReason);
    } else {
        m_pButtons->button(QDialogButtonBox::Ok)->setFocus(Qt::OtherFocusReason);
    }
}

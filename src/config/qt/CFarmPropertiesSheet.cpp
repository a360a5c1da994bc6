#include "config/qt/CFarmPropertiesSheet.h"

#include "app/CTreeListDoc.h"
#include "config/qt/CFP_GeneralPage.h"
#include "config/qt/CFP_ScanPage.h"
#include "net/TransactionType.h"
#include "sheets/CSpinButton.h"
#include "widgets/UiText.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

CFarmPropertiesSheet::CFarmPropertiesSheet(CTreeListDoc& document, const FarmParameters& parameters,
                                           QWidget* parent)
    : QDialog(parent), m_document(document) {
    const Language language = document.GetLanguage();
    setWindowTitle(
        UiText(language, IDS_GROUP_PROPERTIES_FORMAT)
            .replace(QStringLiteral("%d"), QString::number(parameters.m_iFarmIndex + 1)));

    m_pPage = new CFP_GeneralPage(document, parameters, this);
    m_pTabs = new QTabWidget(this);
    m_pTabs->addTab(m_pPage, m_pPage->Title());
    m_pScanPage = new CFP_ScanPage(document, parameters.m_iFarmIndex, this);
    m_pTabs->addTab(m_pScanPage, m_pScanPage->Title());
    m_pTabs->setFocusPolicy(Qt::NoFocus);

    m_pButtons = new QDialogButtonBox(
        QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Apply, this);
    OkButton()->setText(UiText(language, IDS_SHEET_OK, IDS_SHEET_OK_ES));
    CancelButton()->setText(UiText(language, IDS_SHEET_CANCEL, IDS_SHEET_CANCEL_ES));
    ApplyButton()->setText(UiText(language, IDS_APPLY, IDS_SHEET_APPLY_ES));
    ApplyButton()->setEnabled(false);
    OkButton()->setDefault(true);
    connect(OkButton(), &QPushButton::clicked, this, &CFarmPropertiesSheet::OnOk);
    connect(CancelButton(), &QPushButton::clicked, this, &QDialog::reject);
    connect(ApplyButton(), &QPushButton::clicked, this, &CFarmPropertiesSheet::OnApply);
    // Apply is enabled while either page differs from what is stored.
    const auto followPages = [this] {
        ApplyButton()->setEnabled(m_pPage->Modified() || m_pScanPage->Modified());
    };
    connect(m_pPage, &CFP_GeneralPage::modifiedChanged, this, followPages);
    connect(m_pScanPage, &CFP_ScanPage::modifiedChanged, this, followPages);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pTabs);
    layout->addWidget(m_pButtons);
    layout->setSizeConstraint(QLayout::SetMinimumSize);

    setTabOrder(m_pPage->Spin(), OkButton());
    setTabOrder(OkButton(), CancelButton());
    setTabOrder(CancelButton(), ApplyButton());
}

QPushButton* CFarmPropertiesSheet::OkButton() const {
    return m_pButtons->button(QDialogButtonBox::Ok);
}

QPushButton* CFarmPropertiesSheet::CancelButton() const {
    return m_pButtons->button(QDialogButtonBox::Cancel);
}

QPushButton* CFarmPropertiesSheet::ApplyButton() const {
    return m_pButtons->button(QDialogButtonBox::Apply);
}

void CFarmPropertiesSheet::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    QWidget* first = m_pPage->FirstField();
    if (first != nullptr && first->isEnabled()) {
        first->setFocus(Qt::OtherFocusReason);
    } else {
        OkButton()->setFocus(Qt::OtherFocusReason);
    }
}

void CFarmPropertiesSheet::OnApply() {
    if (m_pPage->OnApply()) {
        m_pScanPage->OnApply();
    }
}

void CFarmPropertiesSheet::OnOk() {
    // A page that refuses its values keeps the sheet open, with its message shown.
    if (m_pPage->OnApply() && m_pScanPage->OnApply()) {
        accept();
    }
}

void CFarmPropertiesSheet::done(int result) {
    if (m_pPage->StartedStationQuery() && !m_bStationQueryEnded) {
        m_bStationQueryEnded = true;
        // Only the query itself is ended: a connection made anew while the sheet was open has
        // its own first transactions, which must not be cut short.
        if (m_document.NextTransactionType() == TT_ZRM_T1_PIO_O) {
            m_document.ZRM_QueryN_Adjustment(true);
        }
    }
    QDialog::done(result);
}

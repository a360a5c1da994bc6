#include "config/qt/CFP_ScanPage.h"

#include "app/CTreeListDoc.h"
#include "app/StringTable.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

// The label's text without its mnemonic marker, for screen readers.
QString Plain(QString text) {
    return text.remove(QLatin1Char('&')).remove(QLatin1Char(':')).trimmed();
}

} // namespace

CFP_ScanPage::CFP_ScanPage(CTreeListDoc& document, int farmIndex, QWidget* parent)
    : QWidget(parent), m_document(document), m_iFarmIndex(farmIndex),
      m_stored(document.FarmScanPace(farmIndex)), m_working(m_stored) {
    setObjectName(QStringLiteral("scanPage"));
    auto* form = new QFormLayout;

    m_pPace = new QComboBox(this);
    m_pPace->addItem(Text(IDS_SCAN_PACE_TICK), static_cast<int>(ScanPaceKind::Tick));
    m_pPace->addItem(Text(IDS_SCAN_PACE_LINE), static_cast<int>(ScanPaceKind::Line));
    m_pPace->setCurrentIndex(m_working.kind == ScanPaceKind::Line ? 1 : 0);
    auto* paceLabel = new QLabel(Text(IDS_SCAN_PACE), this);
    paceLabel->setBuddy(m_pPace);
    m_pPace->setAccessibleName(Plain(paceLabel->text()));
    form->addRow(paceLabel, m_pPace);

    const auto spin = [this, form](int labelId, int value, int maximum) {
        auto* box = new QSpinBox(this);
        box->setRange(0, maximum);
        box->setValue(value);
        auto* label = new QLabel(Text(labelId), this);
        label->setBuddy(box);
        box->setAccessibleName(Plain(label->text()));
        form->addRow(label, box);
        return box;
    };
    m_pGuard = spin(IDS_SCAN_GUARD, m_working.guardMs, ScanPaceSettings::kMaxGuardMs);
    m_pMargin = spin(IDS_SCAN_MARGIN, m_working.marginMs, ScanPaceSettings::kMaxMarginMs);

    auto* note = new QLabel(Text(IDS_SCAN_NOTE), this);
    note->setWordWrap(true);
    m_pMessage = new QLabel(this);
    m_pMessage->setWordWrap(true);
    m_pMessage->hide();

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(note);
    layout->addWidget(m_pMessage);
    layout->addStretch(1);

    ReadControls();
    connect(m_pPace, &QComboBox::currentIndexChanged, this, &CFP_ScanPage::ReadControls);
    connect(m_pGuard, &QSpinBox::valueChanged, this, &CFP_ScanPage::ReadControls);
    connect(m_pMargin, &QSpinBox::valueChanged, this, &CFP_ScanPage::ReadControls);
}

QString CFP_ScanPage::Text(int id) const {
    return QString::fromStdString(StringTable::Text(m_document.GetLanguage(), id));
}

QString CFP_ScanPage::Title() const {
    return Text(IDS_SCAN_PAGE_TITLE);
}

QString CFP_ScanPage::Message() const {
    return m_pMessage->isHidden() ? QString() : m_pMessage->text();
}

QWidget* CFP_ScanPage::FirstField() const {
    return m_pPace;
}

void CFP_ScanPage::ReadControls() {
    m_working.kind = static_cast<ScanPaceKind>(m_pPace->currentData().toInt());
    m_working.guardMs = m_pGuard->value();
    m_working.marginMs = m_pMargin->value();
    // The two times matter only at the line pace.
    const bool line = m_working.kind == ScanPaceKind::Line;
    m_pGuard->setEnabled(line);
    m_pMargin->setEnabled(line);
    emit modifiedChanged(Modified());
}

bool CFP_ScanPage::OnApply() {
    if (!Modified()) {
        return true;
    }
    const bool saved = m_document.PutFarmScanPace(m_iFarmIndex, m_working);
    m_stored = m_document.FarmScanPace(m_iFarmIndex);
    m_pMessage->setText(saved ? QString() : Text(IDS_SCAN_NOT_SAVED));
    m_pMessage->setHidden(saved);
    emit modifiedChanged(Modified());
    return true;
}

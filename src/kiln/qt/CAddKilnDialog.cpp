#include "kiln/qt/CAddKilnDialog.h"

#include "app/CTreeListDoc.h"
#include "sheets/CSpinButton.h"
#include "widgets/UiText.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

CAddKilnDialog::CAddKilnDialog(CTreeListDoc& document, int farmIndex, QWidget* parent)
    : QDialog(parent), m_document(document), m_iFarmIndex(farmIndex),
      m_ids(document.Farm(farmIndex).m_bNodeConfigured) {
    const Language language = document.GetLanguage();
    setWindowTitle(UiText(language, IDS_ADD_KILN_TITLE));

    auto* group = new QGroupBox(this);
    auto* row = new QHBoxLayout(group);
    auto* label = new QLabel(UiText(language, IDS_KILN_ID), group);
    m_pId = new QLabel(group);
    m_pId->setAutoFillBackground(true);
    m_pId->setAlignment(Qt::AlignCenter);
    m_pId->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_pId->setMinimumWidth(m_pId->fontMetrics().horizontalAdvance(QStringLiteral(" 000 ")) + 8);
    // The ID reads like a unit's display: green on black.
    QPalette palette = m_pId->palette();
    for (const auto colourGroup : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(colourGroup, QPalette::Window, Qt::black);
        palette.setColor(colourGroup, QPalette::WindowText, QColor(0, 255, 0));
    }
    m_pId->setPalette(palette);
    QString name = label->text();
    if (name.endsWith(QLatin1Char(':'))) {
        name.chop(1);
    }
    m_pId->setAccessibleName(name);
    m_pSpin = new CSpinButton(group);
    m_pSpin->setAccessibleName(name);
    label->setBuddy(m_pSpin);
    row->addWidget(label);
    row->addWidget(m_pId);
    row->addWidget(m_pSpin);
    row->addStretch(1);

    auto* buttons = new QDialogButtonBox(this);
    m_pAdd = buttons->addButton(UiText(language, IDS_ADD), QDialogButtonBox::ApplyRole);
    m_pCancel = buttons->addButton(UiText(language, IDS_SHEET_CANCEL, IDS_SHEET_CANCEL_ES),
                                   QDialogButtonBox::RejectRole);
    // Enter adds the shown ID; the dialog stays open for the next one.
    m_pAdd->setDefault(true);
    connect(m_pAdd, &QPushButton::clicked, this, &CAddKilnDialog::OnAdd);
    connect(m_pCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_pSpin, &CSpinButton::stepped, this, &CAddKilnDialog::OnSpin);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetMinimumSize);
    setTabOrder(m_pSpin, m_pAdd);
    setTabOrder(m_pAdd, m_pCancel);
    Show();
}

void CAddKilnDialog::Show() {
    m_pId->setText(QString::fromStdString(m_ids.DisplayText()));
    m_pAdd->setEnabled(m_ids.CanAdd());
    m_pSpin->setEnabled(m_ids.CanAdd());
    if (!m_ids.CanAdd()) {
        m_pCancel->setDefault(true);
    }
}

void CAddKilnDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (m_pSpin->isEnabled()) {
        m_pSpin->setFocus(Qt::OtherFocusReason);
    } else {
        m_pCancel->setFocus(Qt::OtherFocusReason);
    }
}

void CAddKilnDialog::OnSpin(int steps) {
    // The control's delta is the negated step: the up arrow moves to higher IDs.
    m_ids.Step(-steps);
    Show();
}

void CAddKilnDialog::OnAdd() {
    const int nodeIndex = m_ids.CurrentIndex();
    if (nodeIndex < 0) {
        return;
    }
    if (m_document.AddKilnRecord(m_iFarmIndex, nodeIndex)) {
        m_ids.MarkAdded();
        emit kilnAdded(m_iFarmIndex, nodeIndex);
    } else {
        // The document holds a unit there after all: offer the next free ID instead.
        m_ids.MarkTaken(nodeIndex);
    }
    Show();
}

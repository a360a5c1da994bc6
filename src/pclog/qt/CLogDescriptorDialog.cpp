#include "pclog/qt/CLogDescriptorDialog.h"

#include "app/CTreeListDoc.h"
#include "widgets/UiText.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// Wide enough for a sentence: the descriptor names a whole logging session.
constexpr int kEditCharacters = 48;

} // namespace

CLogDescriptorDialog::CLogDescriptorDialog(CTreeListDoc& document, const std::string& previousText,
                                           QWidget* parent)
    : QDialog(parent), m_document(document) {
    const Language language = document.GetLanguage();
    const QString title = UiText(language, IDS_LOG_DESCRIPTOR, IDS_LOG_DESCRIPTOR_ES);
    setWindowTitle(title);

    auto* group = new QGroupBox(title, this);
    auto* groupLayout = new QVBoxLayout(group);
    m_pEdit = new QLineEdit(QString::fromStdString(previousText), group);
    m_pEdit->setAccessibleName(title);
    m_pEdit->setMinimumWidth(m_pEdit->fontMetrics().averageCharWidth() * kEditCharacters);
    groupLayout->addWidget(m_pEdit);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    m_pOk = buttons->button(QDialogButtonBox::Ok);
    m_pOk->setText(UiText(language, IDS_SHEET_OK, IDS_SHEET_OK_ES));
    m_pOk->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetMinimumSize);
    setTabOrder(m_pEdit, m_pOk);
}

std::string CLogDescriptorDialog::DescriptorLine(const QString& text) {
    // A line break would end the descriptor early and make the rest look like a data line.
    QString line = text;
    for (QChar& c : line) {
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n') || c == QChar::LineSeparator ||
            c == QChar::ParagraphSeparator) {
            c = QLatin1Char(' ');
        }
    }
    return line.toStdString();
}

void CLogDescriptorDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    m_pEdit->setFocus(Qt::OtherFocusReason);
    m_pEdit->selectAll();
}

void CLogDescriptorDialog::done(int result) {
    // One answer per prompt, however the dialog is closed.
    if (!m_bAnswered) {
        m_bAnswered = true;
        if (result == QDialog::Accepted) {
            m_document.OnLogDescriptorAnswered(true, DescriptorLine(m_pEdit->text()));
        } else {
            m_document.OnLogDescriptorAnswered(false, std::string());
        }
    }
    QDialog::done(result);
}

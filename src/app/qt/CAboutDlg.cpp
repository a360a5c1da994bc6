#include "app/qt/CAboutDlg.h"

#include "kiln/qt/KilnIcons.h"
#include "widgets/UiText.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

CAboutDlg::CAboutDlg(Language language, const QStringList& extraLines, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(UiText(language, IDS_ABOUT_CAPTION));

    auto* icon = new QLabel(this);
    icon->setPixmap(KilnIcons::Icon(0).pixmap(32, 32));
    icon->setAccessibleName(UiText(language, IDS_APP_TITLE, IDS_APP_TITLE_ES));

    m_pFirstLine = new QLabel(UiText(language, IDS_APP_TITLE, IDS_APP_TITLE_ES), this);
    m_pSecondLine = new QLabel(UiText(language, IDS_ABOUT_VERSION), this);
    auto* lines = new QVBoxLayout;
    lines->addWidget(m_pFirstLine);
    lines->addWidget(m_pSecondLine);
    for (const QString& line : extraLines) {
        lines->addWidget(new QLabel(line, this));
    }

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
    ok->setText(UiText(language, IDS_ABOUT_OK));
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* top = new QHBoxLayout;
    top->addWidget(icon, 0, Qt::AlignTop);
    top->addLayout(lines, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    ok->setFocus();
}

QString CAboutDlg::FirstLine() const {
    return m_pFirstLine->text();
}

QString CAboutDlg::SecondLine() const {
    return m_pSecondLine->text();
}

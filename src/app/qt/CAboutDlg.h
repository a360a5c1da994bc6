#pragma once

#include "app/Language.h"

#include <QDialog>

class QLabel;

// The About box: the program icon, the title and the version line, and OK. Lines added by the
// program (what the alarm tone sounds through) follow the version line.
class CAboutDlg : public QDialog {
    Q_OBJECT

public:
    CAboutDlg(Language language, const QStringList& extraLines = {}, QWidget* parent = nullptr);

    QString FirstLine() const;
    QString SecondLine() const;

private:
    QLabel* m_pFirstLine = nullptr;
    QLabel* m_pSecondLine = nullptr;
};

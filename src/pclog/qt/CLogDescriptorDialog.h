#pragma once

#include <QDialog>

#include <string>

class CTreeListDoc;
class QLineEdit;
class QPushButton;

// The Log Descriptor prompt: the first line of a new PC log file. It does not hold up the
// tick: it is shown and answers the document later, OK with the text typed, any other close
// without one.
class CLogDescriptorDialog : public QDialog {
    Q_OBJECT

public:
    CLogDescriptorDialog(CTreeListDoc& document, const std::string& previousText,
                         QWidget* parent = nullptr);

    // The descriptor as the log file gets it: one line, whatever was pasted.
    static std::string DescriptorLine(const QString& text);

    QLineEdit* Edit() const { return m_pEdit; }
    QPushButton* OkButton() const { return m_pOk; }

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    CTreeListDoc& m_document;
    QLineEdit* m_pEdit = nullptr;
    QPushButton* m_pOk = nullptr;
    bool m_bAnswered = false;
};

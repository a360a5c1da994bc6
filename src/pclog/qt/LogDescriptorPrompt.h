#pragma once

#include <QPointer>

#include <string>

class CLogDescriptorDialog;
class CTreeListDoc;
class QWidget;

// The main window's Log Descriptor prompt: at most one dialog open at a time, shown over the
// window without waiting for it. The frame's AskLogDescriptor hands its calls to Ask.
class LogDescriptorPrompt {
public:
    explicit LogDescriptorPrompt(QWidget* window) : m_pWindow(window) {}
    // A dialog still open goes without answering: the document may be gone already.
    ~LogDescriptorPrompt();
    LogDescriptorPrompt(const LogDescriptorPrompt&) = delete;
    LogDescriptorPrompt& operator=(const LogDescriptorPrompt&) = delete;

    // Shows the prompt offering previousText; an open one is brought to the front instead.
    void Ask(CTreeListDoc& document, const std::string& previousText);
    // Closes an open dialog as Escape does.
    void Close();
    // The open dialog, or nullptr.
    CLogDescriptorDialog* OpenDialog() const;

private:
    QWidget* m_pWindow;
    QPointer<CLogDescriptorDialog> m_pDialog;
};

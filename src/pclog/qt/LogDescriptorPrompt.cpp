#include "pclog/qt/LogDescriptorPrompt.h"

#include "pclog/qt/CLogDescriptorDialog.h"

LogDescriptorPrompt::~LogDescriptorPrompt() {
    delete m_pDialog.data();
}

void LogDescriptorPrompt::Ask(CTreeListDoc& document, const std::string& previousText) {
    if (m_pDialog == nullptr || !m_pDialog->isVisible()) {
        m_pDialog = new CLogDescriptorDialog(document, previousText, m_pWindow);
        m_pDialog->setAttribute(Qt::WA_DeleteOnClose);
        // It keeps the main window waiting for the answer, not the tick.
        m_pDialog->setWindowModality(Qt::WindowModal);
    }
    m_pDialog->show();
    m_pDialog->raise();
    m_pDialog->activateWindow();
}

CLogDescriptorDialog* LogDescriptorPrompt::OpenDialog() const {
    return m_pDialog != nullptr && m_pDialog->isVisible() ? m_pDialog.data() : nullptr;
}

void LogDescriptorPrompt::Close() {
    if (m_pDialog != nullptr && m_pDialog->isVisible()) {
        m_pDialog->reject();
    }
}

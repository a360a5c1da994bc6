#include "app/kilnmon/ConsoleFrame.h"

#include "app/CTreeListDoc.h"

void ConsoleFrame::SetStatusText(const std::string& text) {
    if (m_bStatusShown && text == m_strStatus) {
        return;
    }
    m_strStatus = text;
    m_bStatusShown = true;
    std::fprintf(m_pOut, "status %s\n", text.c_str());
    std::fflush(m_pOut);
}

void ConsoleFrame::AskLogDescriptor(CTreeListDoc& document, const std::string& /*previousText*/) {
    document.OnLogDescriptorAnswered(true, m_strDescriptor);
}

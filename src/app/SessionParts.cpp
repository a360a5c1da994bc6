#include "app/SessionParts.h"

#include "app/CTreeListDoc.h"
#include "link/CMainFrameLink.h"

namespace {

std::unique_ptr<CTreeListDoc> MakeDocument(Language language, const std::string& workingDirectory) {
    return workingDirectory.empty() ? std::make_unique<CTreeListDoc>(language)
                                    : std::make_unique<CTreeListDoc>(language, workingDirectory);
}

} // namespace

SessionParts::SessionParts(Language language, const std::string& workingDirectory,
                           const Seams& seams)
    : m_pOwnLink(seams.link == nullptr ? std::make_unique<CMainFrameLink>() : nullptr),
      m_pLink(seams.link != nullptr ? seams.link : m_pOwnLink.get()),
      m_pDocument(MakeDocument(language, workingDirectory)) {
    CTreeListDoc& doc = *m_pDocument;
    doc.SetClock(seams.clock);
    doc.SetSpeakerBackend(seams.speaker);
    doc.SetPortWriter(m_pLink);
    doc.SetFrameServices(seams.frame);
    m_pLink->AttachControl(seams.line);
    m_pLink->AttachDocument(&doc);
}

SessionParts::~SessionParts() {
    End();
}

void SessionParts::End() {
    if (Ended()) {
        return;
    }
    // The document goes while everything it reaches still stands: its end finishes the PC
    // logs, may hang up a modem through the link and the line, silences the speaker, saves the
    // registry and may still tell the frame and the views.
    m_pDocument.reset();
    // Then nothing the line raises reaches the gone document, and the link, which may outlive
    // the line (the main window is the link), never reaches the line again.
    m_pLink->AttachDocument(nullptr);
    m_pLink->AttachControl(nullptr);
}

#pragma once

#include "app/Language.h"

#include <memory>
#include <string>

class CMainFrameLink;
class CTreeListDoc;
class Clock;
class FrameServices;
class SerialPortControl;
class SpeakerBackend;

// The document and the serial-link half that carries its frames, wired to the seams they reach
// the world through, and ended in one order. The programs get these parts inside FarmSession,
// which adds the port control on QSerialPort and the one-second tick; the whole-system tests,
// which have no event loop, drive them directly on a virtual clock.
class SessionParts {
public:
    // Each is owned elsewhere and outlives these parts; a missing one makes the document's
    // calls that need it do nothing.
    struct Seams {
        Clock* clock = nullptr;
        SpeakerBackend* speaker = nullptr;
        // The serial-port control the link talks to.
        SerialPortControl* line = nullptr;
        // The status pane and the Log Descriptor prompt.
        FrameServices* frame = nullptr;
        // The serial-link half, when the caller is it (the main window); else the parts have
        // their own.
        CMainFrameLink* link = nullptr;
    };

    // workingDirectory: where PC_Logs goes; the process's current directory when empty.
    SessionParts(Language language, const std::string& workingDirectory, const Seams& seams);
    ~SessionParts();
    SessionParts(const SessionParts&) = delete;
    SessionParts& operator=(const SessionParts&) = delete;

    // Valid until End.
    CTreeListDoc& Document() { return *m_pDocument; }
    const CTreeListDoc& Document() const { return *m_pDocument; }
    CMainFrameLink& Link() { return *m_pLink; }
    bool Ended() const { return m_pDocument == nullptr; }

    // Ends the document, then lets go of it and of the line; once only.
    void End();

private:
    std::unique_ptr<CMainFrameLink> m_pOwnLink;
    CMainFrameLink* m_pLink;
    std::unique_ptr<CTreeListDoc> m_pDocument;
};

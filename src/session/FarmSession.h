#pragma once

#include "alarm/SpeakerBackend.h"
#include "app/Clock.h"
#include "app/Language.h"
#include "app/SessionParts.h"
#include "events/SiteEvents.h"
#include "link/CMainFrameLink.h"
#include "link/SerialPortControl.h"
#include "link/qt/LinePaceTimer.h"
#include "link/qt/QtSerialPortControl.h"
#include "publish/PublishConfig.h"
#include "publish/mqtt/SitePublishing.h"

#include <QObject>
#include <QTimer>

#include <memory>
#include <string>
#include <vector>

class CTreeListDoc;
class FrameServices;

// One running farm session, as both programs assemble it: the document, the serial-link half,
// the port control on QSerialPort, the clock, the speaker and the one-second tick, built once
// and ended in one order. The front end brings its frame services and views (and may be the
// link itself, as the main window is); the rest can be swapped for simulated parts.
//
// Later parts of a session (a publisher, an events journal) belong here too: they take what
// the document derives, so they are built before it and end after it, and never hold up the
// tick.
class FarmSession : public QObject {
    Q_OBJECT

public:
    static constexpr int kTickPeriodMs = 1000;

    // What the document reaches the outside world through. Missing ones get the real thing:
    // the system clock, the platform's speaker, the port control on QSerialPort.
    struct Seams {
        std::unique_ptr<Clock> clock;
        std::unique_ptr<SpeakerBackend> speaker;
        // The serial line, when it is not the port control (a simulated one). It tells of a
        // device that vanished by calling the link's OnPortLost, as portLost does.
        std::unique_ptr<SerialPortControl> line;
    };

    // workingDirectory: where PC_Logs goes; the current directory when empty. frame: the
    // status pane and the Log Descriptor prompt. link: the serial-link half when the caller is
    // it; else the session has its own. Both outlive the session's End.
    FarmSession(Language language, const std::string& workingDirectory, Seams seams,
                FrameServices* frame, CMainFrameLink* link = nullptr, QObject* parent = nullptr);
    ~FarmSession() override;

    // Valid until End.
    CTreeListDoc& Document() { return m_parts.Document(); }
    const CTreeListDoc& Document() const { return m_parts.Document(); }
    CMainFrameLink& Link() { return m_parts.Link(); }
    QtSerialPortControl& PortControl() { return m_control; }
    // The control the link talks to: the line of the seams, else PortControl().
    SerialPortControl& Line() { return m_pLine ? *m_pLine : m_control; }
    Clock& SessionClock() { return *m_pClock; }
    SpeakerBackend& Speaker() { return *m_pSpeaker; }

    // The tick, and with it the line steps of a farm at the line pace.
    void StartTick();
    void StopTick();
    bool TickRunning() const { return m_tick.isActive(); }

    // Publishing as config says, from what the document tells the views set on it then (set
    // them first); a running one is stopped first. False, publishing nothing, with one sentence
    // in error when the settings cannot be used; true and nothing published when they name no
    // broker.
    bool StartPublishing(const PublishConfig& config, std::string& error);
    // The last states and the program's goodbye go out; the document gets its views back.
    void StopPublishing();
    // Null when not publishing.
    const SitePublishing* Publishing() const { return m_pPublishing.get(); }

    // Events as options say, from what the document tells the views set on it then (set them
    // first, and start this before publishing); once. The program-started event is the first.
    void StartEvents(const SiteEvents::Options& options);
    // Null when not started.
    SiteEvents* Events() { return m_pEvents.get(); }
    // The operator's acknowledgements; they are journaled and told by eventsRecorded at once.
    bool AcknowledgeAlarm(int farmIndex, int unit, const std::string& condition);
    bool AcknowledgeAllAlarms();

    // Ends the session's work in order; once only. What is left (line, port control, speaker,
    // clock) goes with the session.
    void End();
    bool Ended() const { return m_parts.Ended(); }

public slots:
    // One run of the document's tick, then ticked(); nothing once ended. The line steps' timer
    // is armed again after it, since a tick may start or end a transaction.
    void Tick();

signals:
    // After each tick, for the front end's own once-a-second work.
    void ticked();
    // The port control's device vanished, after the link has closed the port and disconnected
    // the farm as the disconnect command does.
    void portLost();
    // Something publishing has to tell the operator (the broker away or back, a refused login,
    // messages dropped), one sentence.
    void publishingNotice(const QString& text);
    // Events just journaled, in order: after the tick that found them, a lost port, or an
    // acknowledgement.
    void eventsRecorded(const std::vector<Event>& events);
    // The journal cannot be written (told once), or can again; one sentence.
    void journalNotice(const QString& text);

private:
    // Declaration order is construction order: everything the document reaches comes before
    // the parts that hold it, so it is still there when the document ends.
    std::unique_ptr<Clock> m_pClock;
    std::unique_ptr<SpeakerBackend> m_pSpeaker;
    QtSerialPortControl m_control;
    std::unique_ptr<SerialPortControl> m_pLine;
    SessionParts m_parts;
    QTimer m_tick;
    LinePaceTimer m_pacer;
    // Between the document and the front end's views while publishing; stopped before the
    // document ends, gone after it.
    std::unique_ptr<SitePublishing> m_pPublishing;
    PublishConfig m_publishConfig;
    // Between the document and the views, under publishing; ended before the document.
    std::unique_ptr<SiteEvents> m_pEvents;

    void TellEvents();
};

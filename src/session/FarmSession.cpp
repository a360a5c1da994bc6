#include "session/FarmSession.h"

#include "alarm/PlatformSpeakerBackend.h"
#include "app/CTreeListDoc.h"
#include "app/SystemClock.h"
#include "link/CMainFrameLink.h"

namespace {

SessionParts::Seams PartSeams(Clock& clock, SpeakerBackend& speaker, SerialPortControl& line,
                              FrameServices* frame, CMainFrameLink* link) {
    SessionParts::Seams seams;
    seams.clock = &clock;
    seams.speaker = &speaker;
    seams.line = &line;
    seams.frame = frame;
    seams.link = link;
    return seams;
}

template <typename Default, typename Seam>
std::unique_ptr<Seam> OrDefault(std::unique_ptr<Seam> given) {
    if (!given) {
        return std::make_unique<Default>();
    }
    return given;
}

} // namespace

FarmSession::FarmSession(Language language, const std::string& workingDirectory, Seams seams,
                         FrameServices* frame, CMainFrameLink* link, QObject* parent)
    : QObject(parent), m_pClock(OrDefault<SystemClock>(std::move(seams.clock))),
      m_pSpeaker(OrDefault<PlatformSpeakerBackend>(std::move(seams.speaker))), m_control(nullptr),
      m_pLine(std::move(seams.line)),
      m_parts(language, workingDirectory, PartSeams(*m_pClock, *m_pSpeaker, Line(), frame, link)),
      m_tick(nullptr), m_pacer(nullptr) {
    // A device that vanished disconnects the farm as the disconnect command does.
    connect(&m_control, &QtSerialPortControl::portLost, this, [this] {
        if (Ended()) {
            return;
        }
        if (m_pPublishing) {
            for (int farm = 0; farm < FarmPublisher::kFarmCount; ++farm) {
                if (Document().Farm(farm).m_bFarmIsConnected) {
                    m_pPublishing->PortLost(farm);
                }
            }
        }
        if (m_pEvents) {
            for (int farm = 0; farm < EventDetector::kFarmCount; ++farm) {
                if (Document().Farm(farm).m_bFarmIsConnected) {
                    m_pEvents->PortLost(farm);
                }
            }
        }
        Link().OnPortLost();
        TellEvents();
        emit portLost();
    });
    m_tick.setInterval(kTickPeriodMs);
    connect(&m_tick, &QTimer::timeout, this, &FarmSession::Tick);
}

FarmSession::~FarmSession() {
    End();
}

void FarmSession::Tick() {
    if (Ended()) {
        return;
    }
    Document().Timer1_Tick();
    m_pacer.Rearm();
    if (m_pEvents) {
        m_pEvents->Tick();
        TellEvents();
    }
    if (m_pPublishing) {
        m_pPublishing->Tick();
        for (const std::string& notice : m_pPublishing->TakeNotices()) {
            emit publishingNotice(QString::fromStdString(notice));
        }
    }
    emit ticked();
}

void FarmSession::StartTick() {
    m_tick.start();
    if (!Ended()) {
        m_pacer.Attach(&Document());
    }
}

void FarmSession::StopTick() {
    m_tick.stop();
    m_pacer.Attach(nullptr);
}

bool FarmSession::StartPublishing(const PublishConfig& config, std::string& error) {
    StopPublishing();
    if (Ended()) {
        error = "the session has ended";
        return false;
    }
    if (!config.Enabled()) {
        return true;
    }
    m_publishConfig = config;
    m_pPublishing = SitePublishing::Start(config, Document(), error);
    if (m_pPublishing && m_pEvents) {
        m_pPublishing->UseJournalEvents();
    }
    return m_pPublishing != nullptr;
}

void FarmSession::StopPublishing() {
    if (!m_pPublishing) {
        return;
    }
    m_pPublishing->Stop();
    for (const std::string& notice : m_pPublishing->TakeNotices()) {
        emit publishingNotice(QString::fromStdString(notice));
    }
    m_pPublishing->Detach();
    // The client gets up to two seconds to have the goodbye acknowledged.
    m_pPublishing.reset();
}

void FarmSession::StartEvents(const SiteEvents::Options& options) {
    if (m_pEvents || Ended()) {
        return;
    }
    // Events stand next to the document's own views, under publishing, so that publishing can
    // give the document back what it found when it ends.
    const bool publishing = m_pPublishing != nullptr;
    StopPublishing();
    m_pEvents = std::make_unique<SiteEvents>(Document(), options);
    m_pEvents->Start();
    TellEvents();
    if (publishing) {
        std::string error;
        if (!StartPublishing(m_publishConfig, error)) {
            emit publishingNotice(QString::fromStdString("publishing: " + error));
        }
    }
}

bool FarmSession::AcknowledgeAlarm(int farmIndex, int unit, const std::string& condition) {
    if (!m_pEvents || !m_pEvents->Acknowledge(farmIndex, unit, condition)) {
        return false;
    }
    TellEvents();
    return true;
}

bool FarmSession::AcknowledgeAllAlarms() {
    if (!m_pEvents || !m_pEvents->AcknowledgeAll()) {
        return false;
    }
    TellEvents();
    return true;
}

void FarmSession::TellEvents() {
    if (!m_pEvents) {
        return;
    }
    for (const std::string& notice : m_pEvents->TakeNotices()) {
        emit journalNotice(QString::fromStdString(notice));
    }
    const std::vector<Event> events = m_pEvents->TakeEvents();
    if (m_pPublishing) {
        for (const Event& event : events) {
            m_pPublishing->JournalEvent(event);
        }
    }
    if (!events.empty()) {
        emit eventsRecorded(events);
    }
}

void FarmSession::End() {
    // The tick first: no transaction starts on a document that is going. Then the document,
    // while the line, the port control, the speaker, the clock, the frame and the views are all
    // still there for its end (see SessionParts::End). A front end that must close the port or
    // end its dialogs first does so before calling this.
    StopTick();
    // What happened since the last tick (the farm disconnected on the way out) is journaled
    // and handed to publishing while it can still send it.
    if (m_pEvents) {
        m_pEvents->Tick();
        TellEvents();
    }
    StopPublishing();
    if (m_pEvents) {
        m_pEvents->End();
        TellEvents();
    }
    m_parts.End();
}

#include "app/kilnmon/Monitor.h"

#include "alarm/AlarmToneRoute.h"
#include "alarm/PlatformSpeakerBackend.h"
#include "app/CTreeListDoc.h"
#include "config/ConfigPaths.h"
#include "events/EventLine.h"
#include "kiln/CommandRules.h"
#include "net/LineHealthTable.h"

#include <string>

namespace {

const char* ConnectionTypeText(std::uint8_t type) {
    switch (type) {
    case CT_LOCAL:
        return "direct line";
    case CT_LOCAL_MODEM:
        return "local modem";
    case CT_REMOTE_MODEM:
        return "remote modem";
    default:
        return "unknown connection type";
    }
}

// The platform's speaker, which the monitor asks whether the tone is heard; the session owns it.
FarmSession::Seams SpeakerSeams(PlatformSpeakerBackend*& speaker) {
    FarmSession::Seams seams;
    auto owned = std::make_unique<PlatformSpeakerBackend>();
    speaker = owned.get();
    seams.speaker = std::move(owned);
    return seams;
}

} // namespace

Monitor::Monitor(const KilnmonOptions& options, std::FILE* out, std::FILE* err, QObject* parent)
    : QObject(parent), m_options(options), m_pOut(out), m_pErr(err),
      m_iFarmIndex(options.farmNumber - 1), m_frame(out, options.descriptor),
      m_list(options.language, out),
      m_session(options.language, std::string(), SpeakerSeams(m_pSpeaker), &m_frame),
      m_reconnectTimer(this) {
    CTreeListDoc& doc = m_session.Document();
    m_pTree = std::make_unique<ConsoleFarmTree>(doc, m_list, out);
    doc.SetKilnListView(&m_list);
    doc.SetFarmTreeView(m_pTree.get());
    connect(&m_session, &FarmSession::portLost, this, [this] {
        if (!m_bStopping && !m_bFinished) {
            PortUnavailable("the serial port " +
                            m_session.PortControl().DevicePath().toStdString() + " was lost");
        }
    });
    connect(&m_session, &FarmSession::ticked, this, &Monitor::AfterTick);
    connect(&m_session, &FarmSession::publishingNotice, this,
            [this](const QString& text) { Notice(text.toStdString()); });
    connect(&m_session, &FarmSession::eventsRecorded, this, &Monitor::PrintEvents);
    connect(&m_session, &FarmSession::journalNotice, this,
            [this](const QString& text) { Notice(text.toStdString()); });
    m_reconnectTimer.setSingleShot(true);
    connect(&m_reconnectTimer, &QTimer::timeout, this, &Monitor::Reconnect);
}

Monitor::~Monitor() {
    Finish();
}

void Monitor::Notice(const std::string& text) const {
    std::fprintf(m_pErr, "kilnmon: %s\n", text.c_str());
    std::fflush(m_pErr);
}

void Monitor::ReportSettingsAndLogging() const {
    const CTreeListDoc& doc = m_session.Document();
    const std::string readProblem = doc.SettingsReadProblem();
    if (!readProblem.empty()) {
        Notice(readProblem + "; running on defaults, the file is left as it is");
    } else if (const std::string saveProblem = doc.SettingsSaveProblem(); !saveProblem.empty()) {
        Notice("the settings will not be saved: " + saveProblem);
    }
    if (!doc.PcLoggingOffReason().empty()) {
        Notice("PC logging is off: " + doc.PcLoggingOffReason());
    }
}

void Monitor::Start() {
    CTreeListDoc& doc = m_session.Document();
    doc.OnNewDocument();
    // The farm of the command line replaces any farm the hive connects at start-up.
    doc.SetFarmToConnectOnStartup(0);
    // kilnmon says each attempt itself, on its own timer: the document's own waiting is off.
    if (m_options.reconnectSeconds < 0) {
        m_options.reconnectSeconds = doc.ReconnectSeconds();
    }
    doc.SetReconnectSeconds(0);
    ReportSettingsAndLogging();
    ApplyScanPaceOptions();
    if (m_options.verbose) {
        const AlarmToneRoute route =
            m_pSpeaker->ReachesPcSpeaker() ? AlarmToneRoute::PcSpeaker : AlarmToneRoute::None;
        std::fprintf(m_pErr, "kilnmon: alarm tone: %s\n", AlarmToneRouteName(route));
        std::fflush(m_pErr);
    }

    SiteEvents::Options events;
    events.journal = m_options.journal;
    m_session.StartEvents(events);

    if (!StartPublishing()) {
        m_iExitStatus = 2;
        Finish();
        return;
    }

    const FarmRecord& farm = doc.Farm(m_iFarmIndex);
    if (farm.m_iSerialPort < 1 || farm.m_iSerialPort > 4) {
        const auto stored = static_cast<std::uint32_t>(farm.m_iSerialPort);
        char text[160];
        std::snprintf(text, sizeof text,
                      "farm %d has no usable serial port: the hive stores port number %u "
                      "(0x%x), and only COM1 to COM4 can be used",
                      m_iFarmIndex + 1, stored, stored);
        Notice(text);
        m_iExitStatus = 1;
        Finish();
        return;
    }
    const std::string device = ComPortDevicePath(farm.m_iSerialPort);
    std::fprintf(m_pOut, "kilnmon: farm %d, %s on COM%d (%s), %d units\n", m_iFarmIndex + 1,
                 ConnectionTypeText(farm.m_byConnectionType), farm.m_iSerialPort,
                 device.empty() ? "no device" : device.c_str(), farm.m_nUnitCount);
    std::fflush(m_pOut);

    // As the farm tree's Connect command: show the farm, then connect it.
    // Through the document's view, so publishing sees the units shown too.
    doc.GetKilnListView()->nOTIFYoFtREEsELECTION(false, m_iFarmIndex, farm.m_units);
    m_session.StartTick();
    ConnectFarm();
}

bool Monitor::StartPublishing() {
    const PublishConfig config = m_options.MergedPublishing(
        PublishConfig::FromHive(m_session.Document().GetRegistryBackend()));
    std::string error;
    if (!m_session.StartPublishing(config, error)) {
        Notice("publishing: " + error);
        return false;
    }
    if (config.Enabled()) {
        Notice("publishing to " + config.brokerUrl + " under " + config.prefix + "/" + config.site +
               "/");
    }
    return true;
}

bool Monitor::ConnectFarm() {
    // The farm tree's rule: a farm connected already has nothing to connect.
    if (!MayConnectFarm(m_session.Document().Farm(m_iFarmIndex))) {
        return true;
    }
    m_session.Document().FarmConnect(m_iFarmIndex);
    const QString openError = m_session.PortControl().LastOpenError();
    if (openError.isEmpty()) {
        return true;
    }
    PortUnavailable(openError.toStdString());
    return false;
}

void Monitor::PortUnavailable(const std::string& why) {
    if (m_options.reconnectSeconds > 0) {
        Notice(why + "; reconnecting in " + std::to_string(m_options.reconnectSeconds) +
               " seconds");
        m_reconnectTimer.start(m_options.reconnectSeconds * 1000);
        return;
    }
    Notice(why + "; ending (--reconnect SECONDS would try again)");
    m_iExitStatus = 1;
    Finish();
}

void Monitor::Reconnect() {
    if (m_bStopping || m_bFinished || m_session.Ended()) {
        return;
    }
    Notice("reconnecting farm " + std::to_string(m_iFarmIndex + 1));
    if (ConnectFarm()) {
        Notice("farm " + std::to_string(m_iFarmIndex + 1) + " reconnected");
    }
}

void Monitor::ApplyScanPaceOptions() {
    CTreeListDoc& doc = m_session.Document();
    ScanPaceSettings pace = doc.FarmScanPace(m_iFarmIndex);
    pace.kind = m_options.pace.value_or(pace.kind);
    pace.guardMs = m_options.guardMs.value_or(pace.guardMs);
    pace.marginMs = m_options.marginMs.value_or(pace.marginMs);
    doc.SetFarmScanPace(m_iFarmIndex, pace);
    const ScanPaceSettings& used = doc.FarmScanPace(m_iFarmIndex);
    if (used.kind == ScanPaceKind::Line) {
        std::fprintf(m_pOut, "kilnmon: scanning at the line's pace (guard %d ms, margin %d ms)\n",
                     used.guardMs, used.marginMs);
        std::fflush(m_pOut);
    }
}

void Monitor::AfterTick() {
    if (m_options.healthMinutes > 0 && ++m_iHealthTicks >= m_options.healthMinutes * 60) {
        m_iHealthTicks = 0;
        PrintHealth();
    }
    if (m_bStopping && (DisconnectDone() || m_stopClock.elapsed() >= kDisconnectLimitMs)) {
        Finish();
    }
}

void Monitor::PrintEvents(const std::vector<Event>& events) {
    for (const Event& event : events) {
        std::fprintf(m_pOut, "event %s\n", event_line::Text(event).c_str());
    }
    std::fflush(m_pOut);
}

void Monitor::PrintHealth() {
    std::fputs(LineHealthTable::Text(m_session.Document().Health(), m_session.Document().LocalNow(),
                                     m_options.language)
                   .c_str(),
               m_pOut);
    std::fflush(m_pOut);
}

bool Monitor::DisconnectDone() const {
    const CTreeListDoc& doc = m_session.Document();
    return !doc.Farm(m_iFarmIndex).m_bFarmIsConnected || doc.DisconnectStage() == 0;
}

void Monitor::RequestStop() {
    if (m_bFinished) {
        return;
    }
    if (m_bStopping || m_session.Ended()) {
        Finish();
        return;
    }
    m_bStopping = true;
    m_stopClock.start();
    CTreeListDoc& doc = m_session.Document();
    const FarmRecord& farm = doc.Farm(m_iFarmIndex);
    if (!MayDisconnectFarm(farm)) {
        Finish();
        return;
    }
    std::fprintf(m_pOut, "kilnmon: disconnecting\n");
    std::fflush(m_pOut);
    doc.fARMdISCONNECT(m_iFarmIndex);
    // A direct line is gone at once; a modem line hangs up over the next ticks.
    if (farm.m_byConnectionType == CT_LOCAL || DisconnectDone()) {
        Finish();
    }
}

void Monitor::Finish() {
    if (m_bFinished) {
        return;
    }
    m_bFinished = true;
    m_reconnectTimer.stop();
    // As the desktop program ends: the window's close closes the port, then the session ends
    // (PC logs ended, registry saved).
    m_session.Link().mf_pORT_cLOSE();
    if (m_options.healthMinutes > 0) {
        PrintHealth();
    }
    // The farm's last states and the program's goodbye go out as the session ends, and the
    // last events (the farm disconnected, the program ended) are printed then.
    m_session.End();
    std::fprintf(m_pOut, "kilnmon: stopped\n");
    std::fflush(m_pOut);
    emit finished();
}

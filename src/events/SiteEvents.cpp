#include "events/SiteEvents.h"

#include "app/CTreeListDoc.h"

#include <cstdlib>
#include <utility>

#if defined(_WIN32)
#include <process.h>
#else
#include <unistd.h>
#endif

namespace {

// A commit's change shows in the unit's next replies; one that long after is not its doing.
constexpr std::int64_t kCommitShowsWithinSeconds = 60;

// The condition an alarm event names: its detail's first word.
std::string Condition(const std::string& detail) {
    return detail.substr(0, detail.find_first_of(" ,;"));
}

} // namespace

std::string SiteEvents::SessionName() {
    const char* user = std::getenv("USER");
    if (user == nullptr || *user == '\0') {
        user = std::getenv("USERNAME");
    }
    std::string host;
#if defined(_WIN32)
    if (const char* name = std::getenv("COMPUTERNAME")) {
        host = name;
    }
    const long pid = static_cast<long>(_getpid());
#else
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) == 0) {
        host = name;
    }
    const long pid = static_cast<long>(getpid());
#endif
    std::string session = user != nullptr && *user != '\0' ? user : "operator";
    if (!host.empty()) {
        session += "@" + host;
    }
    // The environment is the user's to set: a control character must not split a journal line
    // or a console line in two.
    for (char& c : session) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            c = '?';
        }
    }
    return session + " pid " + std::to_string(pid);
}

SiteEvents::SiteEvents(CTreeListDoc& document, Options options)
    : m_pDocument(&document),
      m_directory(options.directory.empty() ? document.PcLogsDirectory() : options.directory),
      m_detector(options.session.empty() ? SessionName() : options.session),
      m_follower(m_detector.Rule()), m_pOwnList(document.GetKilnListView()),
      m_pOwnTree(document.GetFarmTreeView()) {
    if (options.journal) {
        if (m_directory.empty()) {
            m_notices.push_back("the events journal has no folder; events are not kept");
        } else {
            m_pJournal = std::make_unique<EventJournal>(m_directory);
        }
    }
    if (m_pOwnList != nullptr) {
        m_pList = std::make_unique<ListView>(*this, *m_pOwnList);
        document.SetKilnListView(m_pList.get());
    }
    if (m_pOwnTree != nullptr) {
        m_pTree = std::make_unique<TreeView>(*this, *m_pOwnTree);
        document.SetFarmTreeView(m_pTree.get());
    }
}

SiteEvents::~SiteEvents() {
    End();
}

std::int64_t SiteEvents::Now() const {
    return m_pDocument != nullptr ? m_pDocument->LocalNow() : 0;
}

void SiteEvents::Start() {
    if (m_bStarted || m_bEnded) {
        return;
    }
    m_bStarted = true;
    m_detector.ProgramStarted(Now());
    Record();
}

void SiteEvents::PortLost(int farmIndex) {
    if (m_bEnded) {
        return;
    }
    m_detector.PortLost(farmIndex, Now());
    Record();
}

bool SiteEvents::CommitJustSent(int farmIndex, int unit) const {
    const CommitSent& sent = m_pDocument->LastCommitSent();
    const std::int64_t now = Now();
    return sent.origin.farmIndex == farmIndex && sent.origin.nodeId == unit &&
           sent.origin.connection == m_pDocument->LineNow().connection && now >= sent.time &&
           now - sent.time <= kCommitShowsWithinSeconds;
}

void SiteEvents::FollowTreatment(int farmIndex, bool force) {
    const std::int64_t now = Now();
    const std::string& path = m_pDocument->PcLog(farmIndex).LogFileName();
    if (path.empty()) {
        return;
    }
    if (!force && path == m_follower.path() && now >= m_lastFollow &&
        now - m_lastFollow < kFollowSeconds) {
        return;
    }
    // A log that cannot be read now keeps what was read; the next look tries again.
    m_follower.follow(path);
    m_lastFollow = now;
    m_detector.Treatment(farmIndex, m_follower, now);
}

void SiteEvents::EndTreatment() {
    if (m_followedFarm < 0) {
        return;
    }
    // The last lines the log got before it closed still count.
    if (!m_follower.path().empty()) {
        m_follower.follow(m_follower.path());
        m_detector.Treatment(m_followedFarm, m_follower, Now());
    }
    m_detector.TreatmentEnded(m_followedFarm, Now());
    m_follower.reset();
    m_followedFarm = -1;
}

void SiteEvents::Tick() {
    if (m_bEnded) {
        return;
    }
    int connected = -1;
    for (int farm = 0; farm < EventDetector::kFarmCount; ++farm) {
        if (m_pDocument->Farm(farm).m_bFarmIsConnected != 0) {
            connected = farm;
        }
    }
    if (connected != m_followedFarm) {
        EndTreatment();
        m_followedFarm = connected;
    }
    if (connected >= 0) {
        const std::string& path = m_pDocument->PcLog(connected).LogFileName();
        if (!m_follower.path().empty() && path != m_follower.path()) {
            // The connection's log was closed (logging switched off, a new file): its charges
            // end with it.
            EndTreatment();
            m_followedFarm = connected;
        }
        FollowTreatment(connected, false);
    }
    Record();
}

void SiteEvents::Record() {
    std::vector<Event> events = m_detector.TakeEvents();
    if (events.empty()) {
        return;
    }
    for (Event& event : events) {
        if (event.kind == EventKind::AlarmRaised) {
            m_alarms.Raise(event.farm, event.unit, Condition(event.detail), event.time);
            // A new alarm sounds again whatever was acknowledged before.
            m_pDocument->SetAlarmsAcknowledged(false);
        } else if (event.kind == EventKind::AlarmCleared) {
            m_alarms.Clear(event.farm, event.unit, Condition(event.detail));
        }
        if (m_pJournal) {
            m_pJournal->Append(event);
        }
        m_recorded.push_back(std::move(event));
    }
    if (m_pJournal) {
        m_pJournal->Sync();
    }
}

bool SiteEvents::Acknowledge(int farmIndex, int unit, const std::string& condition) {
    if (m_bEnded || !m_alarms.Acknowledge(farmIndex, unit, condition)) {
        return false;
    }
    m_detector.AlarmAcknowledged(farmIndex, unit, condition, Now());
    // The tone is for alarms nobody has seen: it stops once none is left.
    if (!m_alarms.AnyUnacknowledged()) {
        m_pDocument->SetAlarmsAcknowledged(true);
    }
    Record();
    return true;
}

bool SiteEvents::AcknowledgeAll() {
    if (m_bEnded) {
        return false;
    }
    const std::vector<AlarmList::Alarm> acknowledged = m_alarms.AcknowledgeAll();
    for (const AlarmList::Alarm& alarm : acknowledged) {
        m_detector.AlarmAcknowledged(alarm.farm, alarm.unit, alarm.condition, Now());
    }
    if (acknowledged.empty()) {
        return false;
    }
    m_pDocument->SetAlarmsAcknowledged(true);
    Record();
    return true;
}

void SiteEvents::End() {
    if (m_bEnded) {
        return;
    }
    EndTreatment();
    m_detector.ProgramEnded(Now());
    Record();
    m_bEnded = true;
    if (m_pList && m_pDocument->GetKilnListView() == m_pList.get()) {
        m_pDocument->SetKilnListView(m_pOwnList);
    }
    if (m_pTree && m_pDocument->GetFarmTreeView() == m_pTree.get()) {
        m_pDocument->SetFarmTreeView(m_pOwnTree);
    }
}

std::vector<Event> SiteEvents::TakeEvents() {
    return std::exchange(m_recorded, {});
}

std::vector<std::string> SiteEvents::TakeNotices() {
    if (m_pJournal) {
        for (std::string& notice : m_pJournal->TakeNotices()) {
            m_notices.push_back(std::move(notice));
        }
    }
    return std::exchange(m_notices, {});
}

// ---- The views between the document and the program's own ---------------------------------

void SiteEvents::ListView::nOTIFYoFtREEsELECTION(bool clear, int farmIndex,
                                                 const UnitSlots& units) {
    m_inner.nOTIFYoFtREEsELECTION(clear, farmIndex, units);
}

void SiteEvents::ListView::NotifyOfData(int retryCountdown, int farmIndex,
                                        const KilnRecord& newRecord, const KilnRecord& oldRecord,
                                        int nodeId) {
    m_inner.NotifyOfData(retryCountdown, farmIndex, newRecord, oldRecord, nodeId);
    if (m_owner.m_bEnded) {
        return;
    }
    m_owner.m_detector.UnitData(farmIndex, nodeId, newRecord, retryCountdown,
                                m_owner.CommitJustSent(farmIndex, nodeId), m_owner.Now());
    m_owner.Record();
}

void SiteEvents::ListView::NotifyOfStartupScanStatus(bool complete) {
    m_inner.NotifyOfStartupScanStatus(complete);
}

void SiteEvents::ListView::nOTIFYoFsTATUS(int replyCode) {
    m_inner.nOTIFYoFsTATUS(replyCode);
}

void SiteEvents::ListView::RemoveLine(int nodeIndex, int itemIndex) {
    m_inner.RemoveLine(nodeIndex, itemIndex);
    if (m_owner.m_bEnded) {
        return;
    }
    // Only the connected farm has units with alarms; the others were forgotten when they
    // disconnected, so the unit is cleared on every farm.
    for (int farm = 0; farm < EventDetector::kFarmCount; ++farm) {
        m_owner.m_detector.UnitRemoved(farm, nodeIndex + 1, m_owner.Now());
    }
    m_owner.Record();
}

int SiteEvents::ListView::NodeIndexOfItem(int itemIndex) const {
    return m_inner.NodeIndexOfItem(itemIndex);
}

void SiteEvents::TreeView::NotifyOfConnection(int farmIndex) {
    m_inner.NotifyOfConnection(farmIndex);
    if (m_owner.m_bEnded) {
        return;
    }
    m_owner.m_detector.FarmConnected(farmIndex, m_owner.Now());
    m_owner.Record();
}

void SiteEvents::TreeView::NotifyOfDisconnection(int farmIndex) {
    m_inner.NotifyOfDisconnection(farmIndex);
    if (m_owner.m_bEnded) {
        return;
    }
    m_owner.m_detector.FarmDisconnected(farmIndex, m_owner.Now());
    if (farmIndex == m_owner.m_followedFarm) {
        m_owner.EndTreatment();
    }
    m_owner.Record();
}

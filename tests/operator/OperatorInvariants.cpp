#include "OperatorInvariants.h"

#include "app/CTreeListDoc.h"
#include "app/qt/CMainFrame.h"
#include "events/EventLine.h"
#include "events/qt/AlarmsPane.h"
#include "kiln/KilnDecoding.h"
#include "kiln/qt/CMyListView.h"
#include "kiln/qt/CTreeListView.h"
#include "kiln/qt/KilnListModel.h"
#include "net/Frames.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kFrame = 60;

std::string FarmName(int farmIndex) {
    return "Group " + std::to_string(farmIndex + 1);
}

std::string UnitName(int nodeId) {
    char text[16];
    std::snprintf(text, sizeof text, "%03d", nodeId);
    return text;
}

// The bytes of a commit that come from the image it is built on: all but the command byte,
// the mode byte, the hours word the mode change writes and the checksum.
bool SameImage(const std::vector<std::uint8_t>& commit, const std::vector<std::uint8_t>& reply) {
    if (commit.size() != kFrame || reply.size() != kFrame) {
        return false;
    }
    for (std::size_t i = 0; i < kFrame - 2; ++i) {
        if (i == 1 || i == kOffsetMode || i == kOffsetHoursHigh || i == kOffsetHoursLow) {
            continue;
        }
        if (commit[i] != reply[i]) {
            return false;
        }
    }
    return true;
}

bool IsStatusReply(const std::vector<std::uint8_t>& bytes) {
    return bytes.size() == kFrame && CheckReply(bytes.data(), static_cast<int>(bytes.size()));
}

KilnRecord Decoded(const std::uint8_t* reply) {
    KilnRecord record;
    DecodeStatusReply(record, reply + 2);
    return record;
}

bool Writable(const fs::path& path) {
    std::error_code error;
    const fs::perms perms = fs::status(path, error).permissions();
    return !error && (perms & fs::perms::owner_write) != fs::perms::none;
}

} // namespace

OperatorInvariants::OperatorInvariants(OperatorHarness& harness, OperatorRecord& record)
    : m_h(harness), m_record(record) {
    m_lastAlarm.fill(-1);
}

void OperatorInvariants::Fail(char invariant, const std::string& what) {
    if (m_failure.empty()) {
        m_invariant = invariant;
        m_failure =
            std::string(1, invariant) + ": tick " + std::to_string(m_h.Ticks()) + ": " + what;
    }
}

void OperatorInvariants::BeforeTick() {
    FollowReads();
    CMainFrame* frame = m_h.Frame();
    const int open = m_h.Farms().OpenFarm();
    m_tickAnnunciates = false;
    if (frame == nullptr || open < 0) {
        return;
    }
    CTreeListDoc& doc = frame->Document();
    // The tick sounds or silences the tone from the alarms held as it starts, when the farm
    // it polls is connected and has units.
    m_tickAnnunciates = doc.CurrentFarmIndex() == open && doc.Farm(open).m_bFarmIsConnected &&
                        doc.Farm(open).m_nUnitCount > 0 && doc.DisconnectStage() == 0;
    m_alarmBeforeTick = doc.AnyAlarm();
    m_unacknowledgedBeforeTick = UnacknowledgedShown();
}

// Whether an alarm the operator has not acknowledged is known: the tone is for those, so with
// none every alarm still held has been seen and the tone keeps quiet. (The pane shows what the
// program knows from the tick on, as the tone does.)
bool OperatorInvariants::UnacknowledgedShown() const {
    CMainFrame* frame = m_h.Frame();
    const SiteEvents* events = frame != nullptr ? frame->Session().Events() : nullptr;
    return events != nullptr && events->Alarms().AnyUnacknowledged();
}

// After a tick every alarm the connected farm's units hold is a line of the Alarms pane that
// has not cleared: the list never hides an alarm the tone may be sounding for.
void OperatorInvariants::CheckAlarmList() {
    CMainFrame* frame = m_h.Frame();
    const int open = m_h.Farms().OpenFarm();
    if (frame == nullptr || open < 0) {
        return;
    }
    CTreeListDoc& doc = frame->Document();
    AlarmsPane& pane = frame->Alarms();
    for (int nodeIndex = 0; nodeIndex < 254; ++nodeIndex) {
        if (!doc.AlarmBit(nodeIndex)) {
            continue;
        }
        bool shown = false;
        for (int line = 0; line < pane.LineCount() && !shown; ++line) {
            const AlarmList::Alarm* alarm = pane.AlarmOfLine(line);
            shown = alarm != nullptr && alarm->farm == open && alarm->unit == nodeIndex + 1 &&
                    !alarm->cleared;
        }
        if (!shown) {
            Fail('b', "unit " + UnitName(nodeIndex + 1) +
                          "'s alarm is held, but the Alarms pane shows no active line of it");
            return;
        }
    }
}

void OperatorInvariants::AfterTick() {
    if (m_tickAnnunciates) {
        const bool wanted =
            m_h.Setup().annunciation && m_alarmBeforeTick && m_unacknowledgedBeforeTick;
        if (m_h.ToneOn() != wanted) {
            Fail('b', std::string("after a tick that began with ") +
                          (m_alarmBeforeTick ? "an alarm" : "no alarm") + " held and " +
                          (m_unacknowledgedBeforeTick ? "an alarm" : "none") +
                          " unacknowledged, the tone " + (m_h.ToneOn() ? "sounds" : "is silent"));
        }
    }
    CheckAlarmList();
    AfterStep();
}

void OperatorInvariants::AfterStep() {
    FollowReads();
    CheckCommits();
    CheckTone();
    CheckPcLogs();
    CheckViews();
}

void OperatorInvariants::AfterExit() {
    FollowReads();
    CheckCommits();
    if (m_h.ToneOn()) {
        Fail('b', "the tone still sounds after the program ended");
    }
    if (m_h.Farms().OpenFarm() >= 0) {
        Fail('c', "the port is still open after the program ended");
    }
    CheckPcLogs();
}

void OperatorInvariants::FollowReads() {
    const auto& reads = m_h.Farms().Reads();
    for (; m_readsSeen < reads.size(); ++m_readsSeen) {
        const OperatorFarms::Traffic& read = reads[m_readsSeen];
        if (read.connection != m_alarmConnection) {
            m_alarmConnection = read.connection;
            m_lastAlarm.fill(-1);
        }
        if (IsStatusReply(read.bytes)) {
            m_lastAlarm[read.bytes[0]] = Decoded(read.bytes.data()).m_iAlarmStatus != 0 ? 1 : 0;
        }
    }
}

// ---- a. Commits ------------------------------------------------------------------------------

void OperatorInvariants::CheckCommits() {
    const auto& writes = m_h.Farms().Writes();
    for (; m_writesSeen < writes.size(); ++m_writesSeen) {
        const OperatorFarms::Traffic& write = writes[m_writesSeen];
        if (write.bytes.size() == kFrame && write.bytes[1] == KVN_CMD_COMMIT) {
            ++m_commits;
            CheckCommit(write);
        }
    }
}

void OperatorInvariants::CheckCommit(const OperatorFarms::Traffic& write) {
    const int farm = write.farm;
    const int node = write.bytes[0];
    const std::string what =
        "commit to unit " + UnitName(node) + " on " + FarmName(farm) + "'s line";
    // The operator's latest Apply for this unit of this farm that no commit has answered yet.
    auto& applied = m_record.applied;
    auto match = applied.end();
    for (auto it = applied.begin(); it != applied.end(); ++it) {
        if (!it->used && it->farm == farm && it->node == node) {
            match = it;
        }
    }
    if (match == applied.end()) {
        std::string sheets;
        for (const auto& a : applied) {
            if (!a.used) {
                sheets += " " + FarmName(a.farm) + " unit " + UnitName(a.node) + ";";
            }
        }
        Fail('a', what + ": no sheet of that unit was applied on that farm (applied and not sent:" +
                      (sheets.empty() ? " none" : sheets) + ")");
        return;
    }
    for (auto it = applied.begin(); it != match + 1; ++it) {
        if (it->farm == farm && it->node == node) {
            it->used = true;
        }
    }
    if (write.bytes[kOffsetMode] != match->modeByte) {
        char text[96];
        std::snprintf(text, sizeof text, ": mode byte %02X where the operator chose %02X",
                      write.bytes[kOffsetMode], match->modeByte);
        Fail('a', what + text);
        return;
    }
    // Its image: a reply of that unit read on this connection since the sheet opened, as the
    // unit built it (or as the line damaged it past the checksum, which no check can catch).
    const auto& reads = m_h.Farms().Reads();
    const auto& built = m_h.Farms().Built(farm, node);
    const auto& damaged = m_h.Farms().Farm(farm).UndetectedDamage();
    for (std::size_t i = match->readsAtOpen; i < reads.size(); ++i) {
        const OperatorFarms::Traffic& read = reads[i];
        if (read.farm != farm || read.connection != write.connection || read.ms > write.ms ||
            !IsStatusReply(read.bytes) || read.bytes[0] != node ||
            !SameImage(write.bytes, read.bytes)) {
            continue;
        }
        const auto genuine = [&](const auto& reply) {
            return std::equal(reply.begin(), reply.end(), read.bytes.begin(), read.bytes.end());
        };
        if (std::any_of(built.begin(), built.end(), genuine) ||
            std::any_of(damaged.begin(), damaged.end(), genuine)) {
            return;
        }
    }
    Fail('a', what + ": its image is no reply of that unit received on this connection since "
                     "its sheet opened");
}

// ---- b. The alarm tone ----------------------------------------------------------------------

void OperatorInvariants::CheckTone() {
    CMainFrame* frame = m_h.Frame();
    if (frame == nullptr) {
        return;
    }
    CTreeListDoc& doc = frame->Document();
    if (doc.ToneSounding() != m_h.ToneOn()) {
        Fail('b', "the speaker's gate and the program's tone state differ");
        return;
    }
    const int open = m_h.Farms().OpenFarm();
    const bool sameConnection = m_alarmConnection == m_h.Farms().Connection();
    for (int nodeIndex = 0; nodeIndex < 256; ++nodeIndex) {
        if (!doc.AlarmBit(nodeIndex)) {
            continue;
        }
        const int node = nodeIndex + 1;
        if (open < 0) {
            Fail('b', "unit " + UnitName(node) + "'s alarm is held while no farm is connected" +
                          (m_h.ToneOn() ? " and the tone sounds" : ""));
            return;
        }
        if (node > 254 || doc.Farm(open).Unit(nodeIndex) == nullptr || !sameConnection ||
            m_lastAlarm[static_cast<std::size_t>(node)] != 1) {
            Fail('b', "unit " + UnitName(node) + "'s alarm is held, but " + FarmName(open) +
                          " has no such unit whose last reply on this connection is an alarm");
            return;
        }
    }
    if (m_h.ToneOn() && (open < 0 || !m_h.Setup().annunciation)) {
        Fail('b', open < 0 ? "the tone sounds while no farm is connected"
                           : "the tone sounds with annunciation off");
    }
}

// ---- c. PC logs -----------------------------------------------------------------------------

void OperatorInvariants::CheckPcLogs() {
    const fs::path folder = m_h.PcLogsDirectory();
    std::error_code error;
    if (!fs::is_directory(folder, error)) {
        return;
    }
    const int open = m_h.Farms().OpenFarm();
    const std::string mirrorName = "CurrentLogSession.CSV";
    bool mirror = false;
    std::vector<std::string> live;
    std::vector<fs::path> logs;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        const std::string name = entry.path().filename().string();
        if (name == mirrorName) {
            mirror = true;
            continue;
        }
        if (name.size() < 4 || name.substr(name.size() - 4) != ".CSV") {
            continue;
        }
        // The events journal lives beside the logs, open all the time; it is no PC log.
        int year = 0;
        int month = 0;
        if (event_line::ParseFileName(name, year, month)) {
            continue;
        }
        logs.push_back(entry.path());
        if (Writable(entry.path())) {
            live.push_back(name);
        }
    }
    std::sort(logs.begin(), logs.end());
    for (const fs::path& log : logs) {
        const std::string name = log.filename().string();
        const int farm = std::atoi(name.substr(0, 3).c_str()) - 1;
        CheckLogLines(log.string(), farm);
    }
    if (open < 0) {
        if (mirror) {
            Fail('c', "the log's mirror is there while no farm is connected");
        } else if (!live.empty()) {
            Fail('c', "the log " + live.front() + " is still open while no farm is connected");
        }
        return;
    }
    const std::string prefix = UnitName(open + 1) + "_";
    for (const std::string& name : live) {
        if (name.rfind(prefix, 0) != 0) {
            Fail('c', "the log " + name + " is open while " + FarmName(open) + " is connected");
            return;
        }
    }
    if (live.size() > 1) {
        Fail('c', "two logs are open for one connection of " + FarmName(open));
    } else if (mirror && live.empty()) {
        Fail('c', "the log's mirror is there without an open log");
    }
}

void OperatorInvariants::CheckLogLines(const std::string& path, int farmIndex) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    const std::string text = content.str();
    std::size_t& checked = m_logChecked[path];
    const std::string name = fs::path(path).filename().string();
    while (checked < text.size()) {
        const std::size_t end = text.find("\r\n", checked);
        if (end == std::string::npos) {
            return; // a line still being written
        }
        const std::string line = text.substr(checked, end - checked);
        const bool first = checked == 0;
        checked = end + 2;
        if (first && std::find(m_record.descriptors.begin(), m_record.descriptors.end(), line) !=
                         m_record.descriptors.end()) {
            continue;
        }
        ++m_logLines;
        if (farmIndex < 0 || farmIndex >= m_h.Farms().FarmCount() ||
            !IsReadingSent(farmIndex, line)) {
            Fail('c', "the log " + name + " has the line \"" + line +
                          "\", which is no reading a running unit of " + FarmName(farmIndex) +
                          " sent");
            return;
        }
    }
}

bool OperatorInvariants::IsReadingSent(int farmIndex, const std::string& line) const {
    int month = 0, day = 0, year = 0, hour = 0, minute = 0, second = 0;
    int node = 0, scale = 0;
    std::array<int, 4> rtd{};
    char tail = 0;
    if (std::sscanf(line.c_str(), "%d/%d/%d,%d:%d:%d,%d,%d,%d,%d,%d,%d%c", &month, &day, &year,
                    &hour, &minute, &second, &node, &scale, &rtd[0], &rtd[1], &rtd[2], &rtd[3],
                    &tail) != 12 ||
        node < 1 || node > 254) {
        return false;
    }
    const auto shows = [&](const std::uint8_t* reply) {
        if (reply[0] != node) {
            return false;
        }
        const KilnRecord r = Decoded(reply);
        if (r.m_iCuringMethod == 0 || r.m_iUnitStatus != US_RUN ||
            (r.m_bCentigrade ? 58 : 135) != scale) {
            return false;
        }
        for (std::size_t i = 0; i < rtd.size(); ++i) {
            const auto raw = static_cast<std::int16_t>(r.m_wRtd[i]);
            if (ConvertRawTemperature(true, r.m_bCentigrade != 0, raw) != rtd[i]) {
                return false;
            }
        }
        return true;
    };
    for (const auto& reply : m_h.Farms().Built(farmIndex, node)) {
        if (shows(reply.data())) {
            return true;
        }
    }
    for (const auto& reply : m_h.Farms().Farm(farmIndex).UndetectedDamage()) {
        if (reply.size() == kFrame && shows(reply.data())) {
            return true;
        }
    }
    return false;
}

// ---- e. The views ---------------------------------------------------------------------------

void OperatorInvariants::CheckViews() {
    CMainFrame* frame = m_h.Frame();
    if (frame == nullptr) {
        return;
    }
    const int open = m_h.Farms().OpenFarm();
    for (int farm = 0; farm < kFarmCount; ++farm) {
        if (frame->TreeView().HasConnectedOverlay(farm) != (farm == open)) {
            Fail('e', FarmName(farm) + (farm == open ? " lacks" : " shows") +
                          " the connected mark while " +
                          (open < 0 ? std::string("no farm") : FarmName(open)) + " is connected");
            return;
        }
    }
    const int shown = frame->ListView().DisplayedFarm();
    if (shown < 0 || shown == open) {
        return;
    }
    const KilnListModel& model = frame->ListView().Model();
    for (int row = 0; row < model.rowCount(); ++row) {
        for (int column = 1; column < KilnListModel::kColumnCount; ++column) {
            const QString text = model.data(model.index(row, column), Qt::DisplayRole).toString();
            if (text != QStringLiteral("~")) {
                Fail('e', FarmName(shown) + " is not connected, but unit " +
                              UnitName(model.NodeIndexOfItem(row) + 1) + "'s line shows \"" +
                              text.toStdString() + "\" in column " + std::to_string(column));
                return;
            }
        }
    }
}

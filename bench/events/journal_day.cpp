// The events journal's cost over a simulated day of a full farm: the rules and the journal fed
// every reply of 254 units at the line's pace, as the session feeds them, with each event
// written and flushed on its own. Built only by bench/events/run.
//
//   events_journal_day PATTERN FOLDER [SECONDS] [REPLIES_PER_SECOND]
//
// PATTERN: worst (every answered visit changes the unit's alarm, mode and sensor state, and
// every fourth visit the unit is silent) or realistic (charges started and ended, a few
// alarms, silences and a sensor fault a day). Prints one line of key=value figures.

#include "app/LocalSeconds.h"
#include "events/EventDetector.h"
#include "events/EventJournal.h"
#include "kiln/KilnDecoding.h"

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr int kUnits = 254;
constexpr int kAttempts = 7; // a silent unit's attempts before it is given up

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// What a unit says on one visit.
struct Visit {
    bool silent = false;
    int status = US_RUN;
    int alarm = AS_NORMAL;
    bool sensorFault = false;
};

KilnRecord Reply(int node, const Visit& visit) {
    KilnRecord record;
    record.m_byIdentificationCode = static_cast<std::uint8_t>(node);
    record.m_iUnitStatus = visit.status;
    record.m_iCuringMethod = 1;
    record.m_iAlarmStatus = visit.alarm;
    record.m_iOperationalMode = visit.status;
    // In twentieths of a degree Fahrenheit, as the unit sends them: cores at 140F, 141F and
    // 139F (250F, beyond the sensor, when it has failed), the chamber at 160F.
    record.m_wRtd = {2800, 2820, static_cast<std::uint16_t>(visit.sensorFault ? 5000 : 2780), 3200};
    return record;
}

// The worst a farm can do: each answered visit flips everything the rules watch (the alarm
// between High and Low, so that it is cleared and raised at once), and every eighth visit the
// unit is silent through all its attempts.
Visit WorstVisit(int /*node*/, long long visit) {
    Visit v;
    v.silent = visit % 8 == 7;
    v.status = visit % 2 == 0 ? US_RUN : US_STANDBY;
    v.alarm = visit % 2 == 0 ? AS_HIGH : AS_LOW;
    v.sensorFault = visit % 2 == 0;
    return v;
}

// A day as a site has it: every unit's charge started in the morning and ended in the evening
// (spread over the units), one unit in ten with a high alarm for ten minutes in the afternoon,
// five units silent for a quarter of an hour, one failed sensor for an hour.
Visit RealisticVisit(int node, std::int64_t secondOfDay) {
    Visit v;
    const std::int64_t start = 6 * 3600 + node * 60;
    const std::int64_t end = 18 * 3600 + node * 60;
    v.status = secondOfDay >= start && secondOfDay < end ? US_RUN : US_STANDBY;
    const std::int64_t alarmAt = 14 * 3600 + node * 30;
    v.alarm = node % 10 == 0 && secondOfDay >= alarmAt && secondOfDay < alarmAt + 600 ? AS_HIGH
                                                                                      : AS_NORMAL;
    const std::int64_t silentAt = 10 * 3600 + node * 120;
    v.silent = node % 50 == 7 && secondOfDay >= silentAt && secondOfDay < silentAt + 900;
    v.sensorFault = node == 100 && secondOfDay >= 12 * 3600 && secondOfDay < 13 * 3600;
    return v;
}

std::uintmax_t FolderBytes(const std::filesystem::path& folder) {
    std::uintmax_t bytes = 0;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
        bytes += entry.file_size(ec);
    }
    return bytes;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: events_journal_day worst|realistic FOLDER [SECONDS] "
                             "[REPLIES_PER_SECOND]\n");
        return 2;
    }
    const std::string_view pattern = argv[1];
    if (pattern != "worst" && pattern != "realistic") {
        std::fprintf(stderr, "events_journal_day: the pattern is worst or realistic\n");
        return 2;
    }
    const bool worst = pattern == "worst";
    const std::filesystem::path folder = argv[2];
    const long long seconds = argc > 3 ? std::atoll(argv[3]) : 86400;
    const double repliesPerSecond = argc > 4 ? std::atof(argv[4]) : 3.0;
    if (seconds < 1 || repliesPerSecond <= 0.0) {
        std::fprintf(stderr, "events_journal_day: SECONDS and REPLIES_PER_SECOND above 0\n");
        return 2;
    }
    std::filesystem::create_directories(folder);

    const std::int64_t dayStart = LocalSeconds({2026, 12, 8, 0, 0, 0});
    EventDetector detector("bench@host pid 1");
    EventJournal journal(folder.string());
    std::map<std::int64_t, long long> perSecond;
    long long events = 0;
    long long failed = 0;
    long long exchanges = 0;
    long long syncs = 0;
    std::vector<long long> visits(kUnits + 1, 0);

    const double cpu0 = CpuSeconds();
    const auto wall0 = std::chrono::steady_clock::now();
    // As the session does after each tick: what the rules saw in that second goes to the
    // journal, in order, and onto the disk.
    auto record = [&] {
        const std::vector<Event> batch = detector.TakeEvents();
        for (const Event& event : batch) {
            ++events;
            ++perSecond[event.time];
            failed += journal.Append(event) ? 0 : 1;
        }
        if (!batch.empty()) {
            journal.Sync();
            ++syncs;
        }
    };
    std::int64_t tick = dayStart;
    auto exchangeAt = [&](std::int64_t now) {
        if (now != tick) {
            record();
            tick = now;
        }
    };
    detector.ProgramStarted(dayStart);
    detector.FarmConnected(0, dayStart);
    record();
    const long long total = static_cast<long long>(static_cast<double>(seconds) * repliesPerSecond);
    int node = 0;
    while (exchanges < total) {
        node = node % kUnits + 1;
        const long long visit = visits[static_cast<std::size_t>(node)]++;
        const auto secondOf = [&](long long exchange) {
            return static_cast<std::int64_t>(static_cast<double>(exchange) / repliesPerSecond);
        };
        const Visit v = worst ? WorstVisit(node, visit) : RealisticVisit(node, secondOf(exchanges));
        if (v.silent) {
            for (int countdown = kAttempts - 1; countdown >= 0 && exchanges < total; --countdown) {
                const std::int64_t now = dayStart + secondOf(exchanges++);
                exchangeAt(now);
                detector.UnitData(0, node, KilnRecord{}, countdown, false, now);
            }
            continue;
        }
        const std::int64_t now = dayStart + secondOf(exchanges++);
        exchangeAt(now);
        detector.UnitData(0, node, Reply(node, v), kAttempts, false, now);
    }
    record();
    const std::int64_t end = dayStart + seconds;
    detector.FarmDisconnected(0, end);
    detector.ProgramEnded(end);
    record();
    const double cpu = CpuSeconds() - cpu0;
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0).count();

    long long peak = 0;
    for (const auto& [second, count] : perSecond) {
        peak = std::max(peak, count);
    }
    const std::uintmax_t bytes = FolderBytes(folder);
    std::printf("pattern=%s seconds=%lld exchanges=%lld events=%lld failed=%lld "
                "events_per_second=%.3f peak_per_second=%lld bytes=%ju cpu=%.3f wall=%.3f "
                "sustained_per_second=%.0f syncs=%lld\n",
                worst ? "worst" : "realistic", seconds, exchanges, events, failed,
                static_cast<double>(events) / static_cast<double>(seconds), peak, bytes, cpu, wall,
                wall > 0 ? static_cast<double>(events) / wall : 0.0, syncs);
    return failed == 0 ? 0 : 1;
}

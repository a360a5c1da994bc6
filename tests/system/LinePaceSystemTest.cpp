#include "support/DocProbe.h"
#include "system/FarmHarness.h"
#include "system/FarmInvariants.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>
#include <set>

namespace {

farmsim::UnitConfig RunningUnit(int nodeId) {
    farmsim::UnitConfig unit;
    unit.nodeId = nodeId;
    unit.idCode = static_cast<std::uint8_t>(nodeId);
    unit.mode = farmsim::Mode::Run;
    unit.centigrade = nodeId % 3 == 0;
    return unit;
}

void UseLinePace(FarmHarness& h) {
    ScanPaceSettings pace;
    pace.kind = ScanPaceKind::Line;
    h.Doc().SetFarmScanPace(0, pace);
}

int CountLinesContaining(const std::vector<std::string>& lines, const std::string& text) {
    return static_cast<int>(std::count_if(lines.begin(), lines.end(), [&](const std::string& l) {
        return l.find(text) != std::string::npos;
    }));
}

// Local seconds of the day and node of each data line of a PC log.
std::vector<std::pair<int, int>> LoggedReadings(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::vector<std::pair<int, int>> readings;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find("\r\n", start);
        if (end == std::string::npos) {
            end = text.size();
        }
        const std::string line = text.substr(start, end - start);
        int month = 0, day = 0, year = 0, hour = 0, minute = 0, second = 0, node = 0;
        if (std::sscanf(line.c_str(), "%d/%d/%d,%d:%d:%d,%d", &month, &day, &year, &hour, &minute,
                        &second, &node) == 7) {
            readings.emplace_back(hour * 3600 + minute * 60 + second, node);
        }
        start = end + 2;
    }
    return readings;
}

} // namespace

TEST(WholeSystemLinePace, AsksASilentUnitSevenTimesAndKeepsTheOthersComingManyTimesASecond) {
    farmsim::FarmConfig config;
    config.units = {RunningUnit(3), RunningUnit(5), RunningUnit(9)};
    config.units[1].silent = true;
    FarmHarness h(config, 11);
    h.ConfigureFarm();
    UseLinePace(h);
    FarmInvariants invariants(h);
    h.afterTick = [&] { invariants.Check(); };
    h.afterLineStep = [&] { invariants.Check(); };

    h.Doc().FarmConnect(0);
    h.RunTicks(25);

    ASSERT_EQ(invariants.Failure(), "");
    // A round is about 2 × 0.3 s for the answering units and 7 × 0.42 s for the silent one.
    EXPECT_GE(invariants.RoundsCompleted(), 5u);
    EXPECT_EQ(CountLinesContaining(h.Frame().lines, "(KVN.005.8)"), 0);
    // Every round but perhaps the one still going asks it all seven times.
    const int firsts = CountLinesContaining(h.Frame().lines, "(KVN.005.1)");
    const int sevenths = CountLinesContaining(h.Frame().lines, "(KVN.005.7)");
    EXPECT_GE(sevenths, firsts - 1);
    EXPECT_LE(sevenths, firsts);
    const auto shownSilent = std::count_if(h.List().data.begin(), h.List().data.end(), [](auto& d) {
        return d.nodeId == 5 && d.retryCountdown == 0 && d.newRecord.m_iCuringMethod == 0;
    });
    EXPECT_GE(shownSilent, 5);
    EXPECT_EQ(h.Doc().Farm(0).Unit(2)->m_iUnitStatus, 4);
    // The status time still counts seconds, not lines.
    EXPECT_LE(DocProbe(h.Doc()).StatusTimeCounter(), 25);
}

TEST(WholeSystemLinePace, FullFarmWithRandomFaultsShowsOnlyReadingsTheUnitsSent) {
    farmsim::FarmConfig config;
    config.seed = 424;
    for (int node = 1; node <= 254; ++node) {
        config.units.push_back(RunningUnit(node));
        config.units.back().silent = node % 50 == 0;
    }
    config.faults = EverydayFaults(0.02);
    FarmHarness h(config, config.seed);
    h.ConfigureFarm();
    UseLinePace(h);
    FarmInvariants invariants(h);
    h.afterTick = [&] { invariants.Check(); };
    h.afterLineStep = [&] { invariants.Check(); };

    h.Doc().FarmConnect(0);
    for (int minute = 0; minute < 20 && invariants.Failure().empty(); ++minute) {
        h.RunTicks(60);
    }
    ASSERT_EQ(invariants.Failure(), "");
    // At the tick a round of this farm takes well over 254 s; at the line pace under 100 s.
    EXPECT_GE(invariants.RoundsCompleted(), 10u);
    EXPECT_GT(invariants.UnitLinesChecked(), 10u * 240u);
}

TEST(WholeSystemLinePace, LogsEveryUnitEachMinuteUpToTheLinesCapacity) {
    constexpr int kUnits = 180;
    farmsim::FarmConfig config;
    for (int node = 1; node <= kUnits; ++node) {
        config.units.push_back(RunningUnit(node));
    }
    FarmHarness h(config, 8);
    h.StartWithAnnunciation();
    h.ConfigureFarm();
    UseLinePace(h);
    h.Frame().answerDescriptorAtOnce = true;
    h.Frame().descriptorText = "line pace";
    h.Doc().FarmConnect(0);
    h.RunTicks(10 * 60 + 3);
    const std::string logName = h.Doc().PcLog(0).LogFileName();
    h.Doc().fARMdISCONNECT(0);

    // Cycles start 3 s after connecting, one a minute: each full one logs every unit once.
    std::map<int, std::set<int>> unitsByCycle;
    std::map<int, int> linesByCycle;
    const int firstCycle = 8 * 3600 + 14 * 60 + 57 + 3;
    for (const auto& [second, node] : LoggedReadings(logName)) {
        const int cycle = (second - firstCycle) / 60;
        unitsByCycle[cycle].insert(node);
        ++linesByCycle[cycle];
    }
    for (int cycle = 0; cycle < 10; ++cycle) {
        EXPECT_EQ(unitsByCycle[cycle].size(), static_cast<std::size_t>(kUnits)) << cycle;
        EXPECT_EQ(linesByCycle[cycle], kUnits) << cycle;
    }
}

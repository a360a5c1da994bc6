#include "base/PcLogLine.h"
#include "kiln/KilnDecoding.h"
#include "system/FarmHarness.h"
#include "system/FarmInvariants.h"
#include "system/SoakSeeds.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>

namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The part of a data line after its date and time: node, scale and the four temperatures.
std::string ExpectedLineBody(int nodeId, const KilnRecord& r) {
    const bool c = r.m_bCentigrade != 0;
    const auto t = [&](int i) {
        return ConvertRawTemperature(true, c, static_cast<std::int16_t>(r.m_wRtd[i]));
    };
    return PcLogLine::fields(nodeId, c, t(0), t(1), t(2), t(3));
}

// Follows a run and works out, from the unit lines the list was given (each checked against the
// simulator's replies by FarmInvariants), which lines every logging cycle owes the file: one for
// each unit whose first valid reply in the cycle said Run, with that reply's values; nothing for
// a unit that answered Standby or Setup first, or that did not answer its seventh query.
class ExpectedLog {
public:
    ExpectedLog(FarmHarness& h, int connectTick) : m_h(h), m_connectTick(connectTick) {}

    // Called just before each tick: a cycle starts on the tick that brings the log counter to a
    // multiple of sixty, three ticks after connecting and every sixty after that.
    void BeforeTick(int tick) {
        const int sinceConnect = tick - m_connectTick;
        if (sinceConnect >= 3 && (sinceConnect - 3) % 60 == 0) {
            Settle(m_h.List().data.size());
            m_decided.clear();
            m_inCycle = true;
        }
    }
    void Finish() { Settle(m_h.List().data.size()); }
    const std::vector<std::string>& Lines() const { return m_lines; }

private:
    void Settle(std::size_t upTo) {
        const auto& data = m_h.List().data;
        for (; m_seen < upTo; ++m_seen) {
            const auto& d = data[m_seen];
            if (!m_inCycle || d.retryCountdown != 0 || m_decided.count(d.nodeId) != 0) {
                continue;
            }
            m_decided[d.nodeId] = true;
            if (d.newRecord.m_iCuringMethod != 0 && d.newRecord.m_iUnitStatus == 4) {
                m_lines.push_back(ExpectedLineBody(d.nodeId, d.newRecord));
            }
        }
    }

    FarmHarness& m_h;
    int m_connectTick;
    bool m_inCycle = false;
    std::size_t m_seen = 0;
    std::map<int, bool> m_decided;
    std::vector<std::string> m_lines;
};

void LogsEveryRunningUnitOncePerCycleAndSoundsTheAlarmsForADay(std::uint64_t seed,
                                                               SoakTally& tally) {
    farmsim::FarmConfig config;
    config.seed = seed;
    for (int node = 1; node <= 40; ++node) {
        farmsim::UnitConfig unit;
        unit.nodeId = node;
        unit.idCode = static_cast<std::uint8_t>(node);
        unit.centigrade = node % 4 == 0;
        unit.mode = node % 7 == 0 ? farmsim::Mode::Standby
                                  : (node % 11 == 0 ? farmsim::Mode::Setup : farmsim::Mode::Run);
        unit.silent = node == 13;
        if (node == 5 || node == 22) {
            unit.alarm =
                node == 5 ? farmsim::AlarmScenario::ForceHigh : farmsim::AlarmScenario::ForceLow;
            unit.alarmFromMs = node * 3600 * 1000LL; // hours 5 and 22 of the day
        }
        config.units.push_back(unit);
    }
    config.faults = EverydayFaults(0.03);
    FarmHarness h(config, seed);
    h.StartWithAnnunciation();
    h.ConfigureFarm();
    h.Frame().answerDescriptorAtOnce = true;
    h.Frame().descriptorText = "Charge 61206, kilns 1-40";
    FarmInvariants invariants(h);
    ExpectedLog expected(h, 0);

    // The tick sounds the tone exactly while a unit's alarm bit is set when the tick begins.
    bool alarmedBeforeTick = false;
    int toneMismatches = 0;
    int alarmedTicks = 0;
    h.beforeTick = [&](int tick) {
        expected.BeforeTick(tick);
        alarmedBeforeTick = h.Doc().AnyAlarm();
    };
    h.Doc().FarmConnect(0);
    for (int tick = 1; tick <= 24 * 3600; ++tick) {
        h.RunTicks(1);
        invariants.Check();
        if (h.Doc().CurrentFarm().m_bFarmIsConnected) {
            toneMismatches += h.Doc().ToneSounding() != alarmedBeforeTick ? 1 : 0;
            alarmedTicks += alarmedBeforeTick ? 1 : 0;
        }
        if (!invariants.Failure().empty()) {
            break;
        }
    }
    expected.Finish();
    tally.Add(h.Ticks() / 86400.0, !invariants.Failure().empty(), h.Sim().Counters().repliesDue,
              h.Sim().Counters().undetectedDamage, invariants.DamagedLinesShown());
    ASSERT_EQ(invariants.Failure(), "") << "seed " << seed;
    EXPECT_EQ(toneMismatches, 0) << "seed " << seed;
    EXPECT_GT(alarmedTicks, 3600) << "seed " << seed;

    const std::string logName = h.Doc().PcLog(0).LogFileName();
    // The first cycle starts three ticks after connecting at 08:14:57.
    ASSERT_NE(logName.find("001_061206_081500.CSV"), std::string::npos) << logName;
    h.Doc().fARMdISCONNECT(0); // ends the connection's log: no more lines may come
    EXPECT_FALSE(h.Doc().ToneSounding());
    const std::string text = ReadAll(logName);

    // Every line whole and ending in CR LF; the descriptor first, then the data lines.
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = text.find("\r\n", start);
        ASSERT_NE(end, std::string::npos) << "torn last line, seed " << seed;
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front(), "Charge 61206, kilns 1-40");
    const std::regex dataLine(R"((\d\d)/(\d\d)/(\d\d),(\d\d):(\d\d):(\d\d),(.*))");
    std::vector<std::string> bodies;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        std::smatch m;
        ASSERT_TRUE(std::regex_match(lines[i], m, dataLine)) << lines[i] << " seed " << seed;
        bodies.push_back(m[7]);
    }
    ASSERT_EQ(bodies.size(), expected.Lines().size()) << "seed " << seed;
    for (std::size_t i = 0; i < bodies.size(); ++i) {
        if (bodies[i] != expected.Lines()[i]) {
            for (std::size_t j = i > 6 ? i - 6 : 0; j < i + 6 && j < bodies.size(); ++j) {
                std::fprintf(stderr, "%zu: %s | %s\n", j, bodies[j].c_str(),
                             expected.Lines()[j].c_str());
            }
        }
        ASSERT_EQ(bodies[i], expected.Lines()[i]) << "line " << i + 2 << ", seed " << seed;
    }
    EXPECT_GT(bodies.size(), 20000u) << "seed " << seed;
}

} // namespace

TEST(WholeSystemLongRun, LogsEveryRunningUnitOncePerCycleAndSoundsTheAlarmsForADay) {
    RunOverSoakSeeds("LogsEveryRunningUnitOncePerCycleAndSoundsTheAlarmsForADay", 4242,
                     LogsEveryRunningUnitOncePerCycleAndSoundsTheAlarmsForADay);
}

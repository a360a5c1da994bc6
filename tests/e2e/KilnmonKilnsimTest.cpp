// kilnmon against kilnsim over a pseudo-terminal, as a site would run them.

#include "ChildProcess.h"
#include "E2eSupport.h"

#include <gtest/gtest.h>

#include <csignal>
#include <regex>

using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

struct Scan {
    int node;
    int attempt;
    bool operator==(const Scan&) const = default;
};

// The scans the status lines announce, in order.
std::vector<Scan> ScansOf(const std::vector<std::string>& lines) {
    static const std::regex scan(
        R"(^status \d{4}:\d\d:\d\d:\d\d: TT_KVN_T1_PIO_O \(KVN\.(\d{3})\.(\d)\))");
    std::vector<Scan> scans;
    std::smatch m;
    for (const std::string& line : lines) {
        if (std::regex_search(line, m, scan)) {
            scans.push_back({std::stoi(m[1]), std::stoi(m[2])});
        }
    }
    return scans;
}

} // namespace

TEST(KilnmonWithKilnsim, PollsInRotationGivesUpOnASilentUnitAndLogsTheRunningOnes) {
    TempFolder tmp;
    ASSERT_TRUE(tmp.Valid());
    const std::string hive = tmp / "registry.reg";
    WriteHive(hive, {3, 5, 9}, 1);
    const fs::path work = tmp.Path() / "work";
    fs::create_directory(work);

    ChildProcess sim;
    ASSERT_TRUE(
        sim.Start({KILNSIM_PATH, "--units", "3,5,9", "--silent", "5", "--link", tmp / "com1"}));
    ASSERT_TRUE(sim.ReadUntil("linked as", 5s)) << sim.Output();

    ChildProcess mon;
    ASSERT_TRUE(mon.Start({KILNMON_PATH, "--farm", "1", "--descriptor", "end-to-end run"},
                          {{"KILNWATCH_REGISTRY", hive},
                           {"KILNWATCH_COM1", tmp / "com1"},
                           {"XDG_CONFIG_HOME", tmp / "config"}},
                          work.string()));
    mon.ReadFor(25s);
    mon.Signal(SIGINT);
    EXPECT_EQ(mon.Wait(15s), 0) << mon.Output();
    sim.Signal(SIGINT);
    EXPECT_EQ(sim.Wait(5s), 0) << sim.Output();
    EXPECT_FALSE(fs::exists(fs::symlink_status(tmp.Path() / "com1"))) << "kilnsim removes its link";

    const std::vector<std::string> lines = Lines(mon.Output());
    SCOPED_TRACE(mon.Output());
    ASSERT_FALSE(lines.empty());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "status CONNECTED to Group 1"), lines.end());

    // The start-up scan asks 3, 5 and 9 in turn, and the rotation goes on in the same order;
    // the silent unit is asked seven times each round before the next unit is taken.
    std::vector<Scan> round = {{3, 1}};
    for (int attempt = 1; attempt <= 7; ++attempt) {
        round.push_back({5, attempt});
    }
    round.push_back({9, 1});
    const std::vector<Scan> scans = ScansOf(lines);
    ASSERT_GE(scans.size(), round.size() + 3) << "at least one round after the start-up scan";
    for (std::size_t i = 0; i < scans.size(); ++i) {
        EXPECT_EQ(scans[i], round[i % round.size()]) << "scan " << i;
    }

    // After the seventh unanswered query the next tick reports unit 5 as without data.
    bool reported = false;
    for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
        if (lines[i].find("(KVN.005.7)") != std::string::npos) {
            EXPECT_EQ(lines[i + 1], "kiln  005 | ~ | ~ | ~ | ~ | ~ | ~ | no data");
            reported = true;
        }
        if (StartsWith(lines[i], "kiln  005") && lines[i].find("Run") != std::string::npos) {
            ADD_FAILURE() << "a silent unit showed data: " << lines[i];
        }
    }
    EXPECT_TRUE(reported);

    // The header names every column of the lines under it.
    EXPECT_NE(std::find(lines.begin(), lines.end(),
                        "kiln  WRB ID | Status | RTD1 | RTD2 | RTD3 | RTD4 | Scale | State"),
              lines.end());
    // The units that answer show their line: running, four temperatures, scale, normal.
    static const std::regex running(R"(^kiln  00[39] \| Run( \| -?\d+){4} \| °[FC] \| normal$)");
    int runningLines = 0;
    for (const std::string& line : lines) {
        runningLines += std::regex_match(line, running) ? 1 : 0;
    }
    EXPECT_GE(runningLines, 4);

    // The orderly end: the farm is disconnected before the program stops.
    EXPECT_NE(std::find(lines.begin(), lines.end(), "status NOT CONNECTED"), lines.end());
    EXPECT_EQ(lines.back(), "kilnmon: stopped");

    // One PC log file for the connection: the descriptor, then the running units' lines.
    std::vector<fs::path> logs;
    for (const auto& entry : fs::directory_iterator(work / "PC_Logs")) {
        if (entry.path().filename().string().rfind("001_", 0) == 0) {
            logs.push_back(entry.path());
        }
    }
    ASSERT_EQ(logs.size(), 1u);
    const std::vector<std::string> log = Lines(ReadFile(logs[0]));
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(log[0], "end-to-end run");
    int unit3 = 0;
    int unit9 = 0;
    for (std::size_t i = 1; i < log.size(); ++i) {
        unit3 += log[i].find(",003,") != std::string::npos ? 1 : 0;
        unit9 += log[i].find(",009,") != std::string::npos ? 1 : 0;
        EXPECT_EQ(log[i].find(",005,"), std::string::npos) << "the silent unit is not logged";
    }
    EXPECT_GE(unit3, 1);
    EXPECT_GE(unit9, 1);

    // The registry was saved on the way out and still holds the farm's units.
    EXPECT_NE(ReadFile(hive).find("\"Node IDs\"=hex:20,00,14,01"), std::string::npos);
}

// kilnmon at the line pace against kilnsim over a pseudo-terminal: the scans follow the replies
// in real time, with a silent unit and replies that come too late for their attempt.

#include "ChildProcess.h"
#include "E2eSupport.h"

#include <gtest/gtest.h>

#include <csignal>
#include <map>
#include <regex>

using namespace std::chrono_literals;
namespace fs = std::filesystem;

TEST(KilnmonWithKilnsim, AtTheLinePaceScansFollowTheRepliesWithSilentAndLateUnits) {
    TempFolder tmp;
    ASSERT_TRUE(tmp.Valid());
    const std::string hive = tmp / "registry.reg";
    WriteHive(hive, {3, 5, 9, 12}, 1);
    const fs::path work = tmp.Path() / "work";
    fs::create_directory(work);

    ChildProcess sim;
    // One reply in five comes 1.1 s late, long after its attempt ended.
    ASSERT_TRUE(sim.Start({KILNSIM_PATH, "--units", "3,5,9,12", "--silent", "5", "--fault",
                           "late=0.2", "--seed", "7", "--link", tmp / "com1"}));
    ASSERT_TRUE(sim.ReadUntil("linked as", 5s)) << sim.Output();

    ChildProcess mon;
    ASSERT_TRUE(mon.Start({KILNMON_PATH, "--farm", "1", "--pace", "line"},
                          {{"KILNWATCH_REGISTRY", hive},
                           {"KILNWATCH_COM1", tmp / "com1"},
                           {"XDG_CONFIG_HOME", tmp / "config"}},
                          work.string()));
    constexpr int kSeconds = 12;
    mon.ReadFor(std::chrono::seconds(kSeconds));
    mon.Signal(SIGINT);
    EXPECT_EQ(mon.Wait(15s), 0) << mon.Output();
    sim.Signal(SIGINT);
    EXPECT_EQ(sim.Wait(5s), 0) << sim.Output();

    const std::vector<std::string> lines = Lines(mon.Output());
    SCOPED_TRACE(mon.Output());
    EXPECT_NE(std::find(lines.begin(), lines.end(),
                        "kilnmon: scanning at the line's pace (guard 10 ms, margin 150 ms)"),
              lines.end());

    static const std::regex scan(
        R"(^status (\d{4}:\d\d:\d\d:\d\d): TT_KVN_T1_PIO_O \(KVN\.(\d{3})\.(\d)\))");
    std::vector<int> newTargets;
    std::map<std::string, int> scansPerStatusSecond;
    int lastNode = 0;
    int lastAttempt = 0;
    int scans = 0;
    std::smatch m;
    for (const std::string& line : lines) {
        if (!std::regex_search(line, m, scan)) {
            continue;
        }
        ++scans;
        ++scansPerStatusSecond[m[1]];
        const int node = std::stoi(m[2]);
        const int attempt = std::stoi(m[3]);
        // A target is asked again with the next attempt number, seven at most; any valid
        // reply, a late one of another unit included, ends the repeats.
        if (attempt == 1) {
            newTargets.push_back(node);
        } else {
            EXPECT_EQ(node, lastNode) << line;
            EXPECT_EQ(attempt, lastAttempt + 1) << line;
        }
        lastNode = node;
        lastAttempt = attempt;
    }
    // More scans than seconds, the first four seconds of connecting and the silent unit's
    // seven attempts a round included (the tick would make at most one a second), yet the
    // status time still counts seconds.
    EXPECT_GT(scans, kSeconds + 2);
    EXPECT_LE(scansPerStatusSecond.size(), static_cast<std::size_t>(kSeconds + 1));
    const std::vector<int> order = {3, 5, 9, 12};
    ASSERT_GE(newTargets.size(), order.size() + 2);
    for (std::size_t i = 0; i < newTargets.size(); ++i) {
        EXPECT_EQ(newTargets[i], order[i % order.size()]) << "new target " << i;
    }

    // Every unit line is a reading the unit sent: the silent unit never shows one, and the
    // others show their own running line.
    static const std::regex running(
        R"(^kiln  0(03|09|12) \| Run( \| -?\d+){4} \| °[FC] \| normal$)");
    int runningLines = 0;
    for (const std::string& line : lines) {
        if (StartsWith(line, "kiln  005")) {
            EXPECT_EQ(line.find("Run"), std::string::npos) << line;
        }
        runningLines += std::regex_match(line, running) ? 1 : 0;
    }
    EXPECT_GE(runningLines, kSeconds / 2);
    EXPECT_EQ(lines.back(), "kilnmon: stopped");
}

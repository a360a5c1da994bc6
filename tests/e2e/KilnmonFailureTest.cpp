// kilnmon when things go wrong around it: a hive it cannot read or may not write, nonsense in
// the hive, a port that vanishes, a terminal that hangs up and an output that is closed. It
// says so once, loses nothing and ends in its orderly way.

#include "ChildProcess.h"
#include "E2eSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <sys/stat.h>

using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

int CountOf(const std::string& text, const std::string& part) {
    int count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos;
         at = text.find(part, at + part.size())) {
        ++count;
    }
    return count;
}

// A folder with a hive, a working folder and, when asked, kilnsim on com1.
struct Site {
    TempFolder tmp;
    std::string hive = tmp / "registry.reg";
    fs::path work = tmp.Path() / "work";
    ChildProcess sim;

    Site() { fs::create_directory(work); }
    bool StartSim() {
        return sim.Start({KILNSIM_PATH, "--units", "3", "--link", tmp / "com1"}) &&
               sim.ReadUntil("linked as", 5s);
    }
    bool StartMonitor(ChildProcess& mon, std::vector<std::string> extra = {}) {
        std::vector<std::string> argv = {KILNMON_PATH, "--farm", "1"};
        argv.insert(argv.end(), extra.begin(), extra.end());
        return mon.Start(argv, Environment(), work.string());
    }
    std::map<std::string, std::string> Environment() const {
        return {{"KILNWATCH_REGISTRY", hive},
                {"KILNWATCH_COM1", tmp / "com1"},
                {"XDG_CONFIG_HOME", tmp / "config"}};
    }
    // The connection's log finished read-only, and its mirror gone. The events journal beside
    // it stays writable: the next run appends to it.
    void ExpectLogsFinished() const {
        int logs = 0;
        int journals = 0;
        for (const auto& entry : fs::directory_iterator(work / "PC_Logs")) {
            const std::string name = entry.path().filename().string();
            struct stat info {};
            ASSERT_EQ(::stat(entry.path().c_str(), &info), 0);
            if (name.rfind("Events_", 0) == 0) {
                EXPECT_NE(info.st_mode & 0200, 0u) << name << " is read-only";
                ++journals;
                continue;
            }
            EXPECT_EQ(name.rfind("001_", 0), 0u) << name << " left behind";
            EXPECT_EQ(info.st_mode & 0222, 0u) << name << " is not read-only";
            ++logs;
        }
        EXPECT_EQ(logs, 1);
        EXPECT_EQ(journals, 1);
    }
};

} // namespace

TEST(KilnmonNotices, AHiveThatDoesNotParseIsNamedOnceAndLeftAsItIs) {
    Site site;
    const std::string bytes = "Windows Registry Editor Version 5.00\r\n[HKEY_LOCAL_MACHINE\r\n";
    std::ofstream(site.hive, std::ios::binary) << bytes;
    ChildProcess mon;
    ASSERT_TRUE(site.StartMonitor(mon)); // no kilnsim: the port never opens
    EXPECT_EQ(mon.Wait(15s), 1) << mon.Output();
    EXPECT_EQ(CountOf(mon.Output(), "kilnmon: the hive " + site.hive +
                                        " could not be read (line 2: a key line that is not "
                                        "[KEY]); running on defaults, the file is left as it is\n"),
              1)
        << mon.Output();
    EXPECT_NE(mon.Output().find("could not be opened"), std::string::npos) << mon.Output();
    EXPECT_EQ(ReadFile(site.hive), bytes);
}

TEST(KilnmonNotices, AReadOnlyHiveIsNeverReplacedAndKilnmonSaysSoOnce) {
    Site site;
    WriteHive(site.hive, {3}, 1);
    const std::string bytes = ReadFile(site.hive);
    ASSERT_EQ(::chmod(site.hive.c_str(), 0444), 0);
    ASSERT_TRUE(site.StartSim()) << site.sim.Output();
    ChildProcess mon;
    ASSERT_TRUE(site.StartMonitor(mon));
    ASSERT_TRUE(mon.ReadUntil("kiln  003 | Run", 20s)) << mon.Output();
    mon.Signal(SIGTERM);
    EXPECT_EQ(mon.Wait(15s), 0) << mon.Output();
    EXPECT_EQ(CountOf(mon.Output(), "kilnmon: the settings will not be saved: the hive " +
                                        site.hive + " is read-only\n"),
              1)
        << mon.Output();
    EXPECT_EQ(ReadFile(site.hive), bytes);
}

TEST(KilnmonNotices, NonsensePortNumbersAreNamedAsStored) {
    for (const auto& [port, text] : std::vector<std::pair<int, std::string>>{
             {0, "0 (0x0)"}, {99, "99 (0x63)"}, {-1, "4294967295 (0xffffffff)"}}) {
        Site site;
        WriteHive(site.hive, {3}, port);
        ChildProcess mon;
        ASSERT_TRUE(site.StartMonitor(mon));
        EXPECT_EQ(mon.Wait(15s), 1) << mon.Output();
        EXPECT_NE(mon.Output().find("kilnmon: farm 1 has no usable serial port: the hive stores "
                                    "port number " +
                                    text + ", and only COM1 to COM4 can be used\n"),
                  std::string::npos)
            << mon.Output();
        EXPECT_EQ(mon.Output().find("COM-1"), std::string::npos);
    }
}

TEST(KilnmonEnding, AHangUpEndsItInOrder) {
    Site site;
    WriteHive(site.hive, {3}, 1);
    ASSERT_TRUE(site.StartSim()) << site.sim.Output();
    ChildProcess mon;
    ASSERT_TRUE(site.StartMonitor(mon));
    ASSERT_TRUE(mon.ReadUntil("kiln  003 | Run", 20s)) << mon.Output();
    mon.Signal(SIGHUP);
    EXPECT_EQ(mon.Wait(15s), 0) << mon.Output();
    EXPECT_NE(mon.Output().find("status NOT CONNECTED"), std::string::npos);
    EXPECT_EQ(Lines(mon.Output()).back(), "kilnmon: stopped");
    site.ExpectLogsFinished();
    EXPECT_NE(ReadFile(site.hive).find("\"Alarm Tone Frequency\""), std::string::npos)
        << "the registry is saved on the way out";
}

TEST(KilnmonEnding, AClosedOutputEndsItInOrder) {
    Site site;
    WriteHive(site.hive, {3}, 1);
    ASSERT_TRUE(site.StartSim()) << site.sim.Output();
    // kilnmon | head: head leaves after a few lines, and kilnmon's next line finds no reader.
    ChildProcess shell;
    ASSERT_TRUE(shell.Start({"/bin/bash", "-c",
                             "\"$0\" --farm 1 | head -n 12 >/dev/null; "
                             "echo \"kilnmon ended with ${PIPESTATUS[0]}\"",
                             KILNMON_PATH},
                            site.Environment(), site.work.string()));
    EXPECT_EQ(shell.Wait(40s), 0) << shell.Output();
    EXPECT_NE(shell.Output().find("kilnmon ended with 0"), std::string::npos) << shell.Output();
    site.ExpectLogsFinished();
    EXPECT_NE(ReadFile(site.hive).find("\"Alarm Tone Frequency\""), std::string::npos);
}

TEST(KilnmonEnding, ALostPortEndsWithStatusOneUnlessToldToReconnect) {
    Site site;
    WriteHive(site.hive, {3}, 1);
    ASSERT_TRUE(site.StartSim()) << site.sim.Output();
    ChildProcess mon;
    ASSERT_TRUE(site.StartMonitor(mon));
    ASSERT_TRUE(mon.ReadUntil("kiln  003 | Run", 20s)) << mon.Output();
    site.sim.Signal(SIGTERM); // the pseudo-terminal goes with it
    EXPECT_EQ(site.sim.Wait(5s), 0);
    EXPECT_EQ(mon.Wait(15s), 1) << mon.Output();
    EXPECT_NE(mon.Output().find("was lost; ending"), std::string::npos) << mon.Output();
    site.ExpectLogsFinished();
}

TEST(KilnmonEnding, ReconnectsAfterTheLineCameBack) {
    Site site;
    WriteHive(site.hive, {3}, 1);
    ChildProcess mon;
    ASSERT_TRUE(site.StartMonitor(mon, {"--reconnect", "1"}));
    // No line yet: it says so and tries again every second.
    ASSERT_TRUE(mon.ReadUntil("reconnecting farm 1", 10s)) << mon.Output();
    EXPECT_NE(mon.Output().find("could not be opened"), std::string::npos);
    EXPECT_TRUE(mon.Running());
    ASSERT_TRUE(site.StartSim()) << site.sim.Output();
    ASSERT_TRUE(mon.ReadUntil("farm 1 reconnected", 10s)) << mon.Output();
    ASSERT_TRUE(mon.ReadUntil("kiln  003 | Run", 20s)) << mon.Output();
    mon.Signal(SIGTERM);
    EXPECT_EQ(mon.Wait(15s), 0) << mon.Output();
}

TEST(KilnmonEnding, TakesTheReconnectIntervalFromTheHiveWithoutTheOption) {
    Site site;
    WriteHive(site.hive, {3}, 1);
    std::ofstream(site.hive, std::ios::binary | std::ios::app)
        << "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vantrel\\WRB Explorer]\r\n"
        << "\"Reconnect Interval\"=dword:00000001\r\n\r\n";
    ChildProcess mon;
    ASSERT_TRUE(site.StartMonitor(mon));
    ASSERT_TRUE(mon.ReadUntil("reconnecting farm 1", 10s)) << mon.Output();
    ASSERT_TRUE(site.StartSim()) << site.sim.Output();
    ASSERT_TRUE(mon.ReadUntil("farm 1 reconnected", 10s)) << mon.Output();
    mon.Signal(SIGTERM);
    EXPECT_EQ(mon.Wait(15s), 0) << mon.Output();
}

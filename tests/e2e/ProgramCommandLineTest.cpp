// The command lines of kilnsim and kilnmon, and kilnsim's line as a client sees it.

#include "ChildProcess.h"
#include "E2eSupport.h"
#include "app/kilnmon/KilnmonOptions.h"
#include "sim/kilnsim/DeviceLink.h"
#include "sim/kilnsim/KilnsimOptions.h"
#include "sim/kilnsim/ZrmLogFile.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

bool ParseKilnsim(std::vector<std::string> args, KilnsimOptions& options, std::string& error) {
    args.insert(args.begin(), "kilnsim");
    std::vector<const char*> argv;
    for (const auto& a : args) {
        argv.push_back(a.c_str());
    }
    return KilnsimOptions::Parse(static_cast<int>(argv.size()), argv.data(), options, error);
}

bool ParseKilnmon(std::vector<std::string> args, KilnmonOptions& options, std::string& error) {
    args.insert(args.begin(), "kilnmon");
    std::vector<const char*> argv;
    for (const auto& a : args) {
        argv.push_back(a.c_str());
    }
    return KilnmonOptions::Parse(static_cast<int>(argv.size()), argv.data(), options, error);
}

const farmsim::UnitConfig* UnitOf(const KilnsimOptions& options, int node) {
    for (const auto& unit : options.farm.units) {
        if (unit.nodeId == node) {
            return &unit;
        }
    }
    return nullptr;
}

} // namespace

TEST(KilnsimOptions, BuildsTheFarmFromTheCommandLine) {
    KilnsimOptions options;
    std::string error;
    ASSERT_TRUE(ParseKilnsim({"--units", "1-3,7", "--mode", "standby", "--mode", "2,7=run",
                              "--centigrade", "3", "--silent", "7", "--alarm", "1=high@60",
                              "--fault", "noise=0.25", "--seed", "9", "--modem-delay", "500"},
                             options, error))
        << error;
    ASSERT_EQ(options.farm.units.size(), 4u);
    EXPECT_EQ(UnitOf(options, 1)->mode, farmsim::Mode::Standby);
    EXPECT_EQ(UnitOf(options, 2)->mode, farmsim::Mode::Run);
    EXPECT_EQ(UnitOf(options, 7)->mode, farmsim::Mode::Run);
    EXPECT_TRUE(UnitOf(options, 3)->centigrade);
    EXPECT_FALSE(UnitOf(options, 1)->centigrade);
    EXPECT_TRUE(UnitOf(options, 7)->silent);
    EXPECT_EQ(UnitOf(options, 1)->alarm, farmsim::AlarmScenario::ForceHigh);
    EXPECT_EQ(UnitOf(options, 1)->alarmFromMs, 60000);
    EXPECT_EQ(UnitOf(options, 2)->alarm, farmsim::AlarmScenario::None);
    EXPECT_DOUBLE_EQ(options.farm.faults.noise, 0.25);
    EXPECT_EQ(options.farm.seed, 9u);
    EXPECT_TRUE(options.farm.modem.present);
    EXPECT_EQ(options.farm.modem.carrierDelayMs, 500);
    EXPECT_EQ(options.fifoTrigger, 14);
    EXPECT_EQ(options.farm.modelSecondsPerSecond, 1);
    EXPECT_EQ(options.farm.chargeStartSeconds, 0);

    ASSERT_TRUE(ParseKilnsim({"--charge-at", "75", "--model-speed", "20"}, options, error));
    EXPECT_EQ(options.farm.chargeStartSeconds, 75 * 60);
    EXPECT_EQ(options.farm.modelSecondsPerSecond, 20);

    ASSERT_TRUE(ParseKilnsim({"--units", "all", "--silent", "all"}, options, error));
    EXPECT_EQ(options.farm.units.size(), 254u);
    EXPECT_TRUE(options.farm.units.back().silent);
}

TEST(KilnsimOptions, RefusesWhatItCannotUse) {
    const std::vector<std::vector<std::string>> bad = {
        {"--units", "0"},
        {"--units", "5-3"},
        {"--units", "3,,5"},
        {"--units", "255"},
        {"--units"},
        {"--mode", "fast"},
        {"--fault", "noise=1.5"},
        {"--fault", "noise=nan"},
        {"--fault", "gremlins=0.1"},
        {"--alarm", "9=high"},
        {"--alarm", "1=high@-1"},
        {"--seed", "x"},
        {"--fifo", "0"},
        {"--silent", "9"},
        {"--frobnicate"},
        {"--no-zrm", "--zrm-log", "x"},
        {"--charge-at", "-1"},
        {"--charge-at", "10081"},
        {"--model-speed", "0"},
        {"--model-speed", "3601"},
    };
    for (const auto& args : bad) {
        KilnsimOptions options;
        options.verbose = true;
        std::string error;
        EXPECT_FALSE(ParseKilnsim(args, options, error)) << args[0];
        EXPECT_FALSE(error.empty()) << args[0];
        EXPECT_TRUE(options.verbose) << "nothing is half-applied";
    }
}

TEST(KilnmonOptions, TakesAFarmAndADescriptorOfOneLine) {
    KilnmonOptions options;
    std::string error;
    ASSERT_TRUE(
        ParseKilnmon({"--farm", "4", "--descriptor", "Kiln room, night shift"}, options, error));
    EXPECT_EQ(options.farmNumber, 4);
    EXPECT_EQ(options.descriptor, "Kiln room, night shift");
    EXPECT_EQ(options.language, Language::English);
    EXPECT_FALSE(options.verbose);
    ASSERT_TRUE(ParseKilnmon({"--farm", "1", "--verbose", "--health", "15"}, options, error));
    EXPECT_TRUE(options.verbose);
    EXPECT_EQ(options.healthMinutes, 15);
    for (const char* minutes : {"0", "1441", "x", "5m", ""}) {
        EXPECT_FALSE(ParseKilnmon({"--farm", "1", "--health", minutes}, options, error)) << minutes;
    }

    for (const auto& args :
         std::vector<std::vector<std::string>>{{},
                                               {"--farm", "0"},
                                               {"--farm", "5"},
                                               {"--farm", "12"},
                                               {"--farm"},
                                               {"--farm", "1", "--descriptor", "two\r\nlines"},
                                               {"--farm", "1", "--descriptor"},
                                               {"--farm", "1", "extra"}}) {
        EXPECT_FALSE(ParseKilnmon(args, options, error)) << (args.empty() ? "" : args.back());
    }
}

TEST(KilnmonOptions, ReadsTheJournalWithItsOwnOptionsOnly) {
    KilnmonOptions options;
    std::string error;
    ASSERT_TRUE(ParseKilnmon({"--events"}, options, error)) << error;
    EXPECT_TRUE(options.events);
    EXPECT_EQ(options.eventFilter.farm, -1) << "every farm without --farm";
    EXPECT_EQ(options.eventsDirectory, "PC_Logs");

    ASSERT_TRUE(
        ParseKilnmon({"/site/logs", "--to", "2026-12-08", "--kind", "unit-silent", "--events",
                      "--farm", "2", "--unit", "12", "--csv", "--from", "2026-12-08"},
                     options, error))
        << error;
    EXPECT_EQ(options.eventsDirectory, "/site/logs");
    EXPECT_EQ(options.eventFilter.farm, 1);
    EXPECT_EQ(options.eventFilter.unit, 12);
    EXPECT_EQ(options.eventFilter.kind, EventKind::UnitSilent);
    EXPECT_TRUE(options.eventsCsv);
    // The whole of the day, its first second to its last.
    EXPECT_EQ(options.eventFilter.to - options.eventFilter.from, 86399);
    Event lastSecond;
    lastSecond.time = options.eventFilter.to;
    lastSecond.farm = 1;
    lastSecond.unit = 12;
    lastSecond.kind = EventKind::UnitSilent;
    EXPECT_TRUE(options.eventFilter.Matches(lastSecond));
    ASSERT_TRUE(ParseKilnmon({"--events", "--from", "2028-02-29"}, options, error)) << error;

    // The monitor keeps its own command line: the reader's options have no place there.
    ASSERT_TRUE(ParseKilnmon({"--farm", "1", "--no-journal"}, options, error));
    EXPECT_FALSE(options.journal);
    EXPECT_FALSE(options.events);
    for (const auto& args :
         std::vector<std::vector<std::string>>{{"--farm", "1", "--unit", "3"},
                                               {"--farm", "1", "--csv"},
                                               {"--farm", "1", "PC_Logs"},
                                               {"--events", "--health", "5"},
                                               {"--events", "--mqtt", "mqtt://localhost"},
                                               {"--events", "--from", "2027-02-29"},
                                               {"--events", "--from", "1999-12-31"},
                                               {"--events", "--from", "2026-1-5"},
                                               {"--events", "--kind", "Alarm-Raised"},
                                               {"--events", "--kind"}}) {
        EXPECT_FALSE(ParseKilnmon(args, options, error)) << args[1] << " " << args.back();
        EXPECT_FALSE(error.empty());
    }
}

TEST(ProgramCommandLines, BadArgumentsGetAMessageAndStatusTwoAndHelpWorks) {
    const std::vector<std::vector<std::string>> cases = {
        {KILNSIM_PATH, "--units", "300"},
        {KILNSIM_PATH, "--bogus"},
        {KILNMON_PATH},
        {KILNMON_PATH, "--farm", "9"},
        {KILNMON_PATH, "--farm", "1", "--reconnect", "0"},
        {KILNMON_PATH, "--farm", "1", "--reconnect", "5s"},
    };
    for (const auto& argv : cases) {
        ChildProcess program;
        ASSERT_TRUE(program.Start(argv));
        EXPECT_EQ(program.Wait(10s), 2) << argv[0] << " " << argv.back();
        EXPECT_NE(program.Output().find("--help"), std::string::npos) << program.Output();
    }
    for (const char* path : {KILNSIM_PATH, KILNMON_PATH}) {
        ChildProcess program;
        ASSERT_TRUE(program.Start({path, "--help"}));
        EXPECT_EQ(program.Wait(10s), 0);
        EXPECT_NE(program.Output().find("Usage:"), std::string::npos);
    }
    // kilnmon's help says where its ports, hive and logs are.
    ChildProcess help;
    ASSERT_TRUE(help.Start({KILNMON_PATH, "--help"}));
    EXPECT_EQ(help.Wait(10s), 0);
    for (const char* part : {"KILNWATCH_COMn", "/dev/ttyS", "KILNWATCH_REGISTRY", "registry.reg",
                             "PC_Logs", "--reconnect SECONDS"}) {
        EXPECT_NE(help.Output().find(part), std::string::npos) << part;
    }
}

TEST(Kilnsim, MakesNoFoldersAndRefusesAStationLogItCannotWrite) {
    TempFolder tmp;
    ASSERT_TRUE(tmp.Valid());
    ChildProcess link;
    ASSERT_TRUE(link.Start({KILNSIM_PATH, "--units", "3", "--link", tmp / "no/such/com1"}));
    EXPECT_EQ(link.Wait(10s), 1);
    EXPECT_NE(link.Output().find("does not exist; kilnsim makes no folders"), std::string::npos)
        << link.Output();
    EXPECT_FALSE(fs::exists(tmp.Path() / "no"));

    ChildProcess log;
    ASSERT_TRUE(log.Start({KILNSIM_PATH, "--units", "3", "--zrm-log", tmp / "no/zrm.dat"}));
    EXPECT_EQ(log.Wait(10s), 1);
    EXPECT_NE(log.Output().find("cannot write"), std::string::npos) << log.Output();
    EXPECT_FALSE(fs::exists(tmp.Path() / "no"));

    // A device under the name is never renamed over.
    fs::create_symlink("/dev/null", tmp.Path() / "null.dat");
    ChildProcess device;
    ASSERT_TRUE(device.Start({KILNSIM_PATH, "--units", "3", "--zrm-log", tmp / "null.dat"}));
    EXPECT_EQ(device.Wait(10s), 1);
    EXPECT_NE(device.Output().find("is not a plain file"), std::string::npos) << device.Output();
    EXPECT_TRUE(fs::is_symlink(tmp.Path() / "null.dat"));
    if (::geteuid() == 0) {
        GTEST_SKIP() << "the administrator may write to any folder";
    }
    fs::create_directory(tmp.Path() / "locked");
    fs::permissions(tmp.Path() / "locked", fs::perms::owner_read | fs::perms::owner_exec);
    ChildProcess locked;
    ASSERT_TRUE(locked.Start({KILNSIM_PATH, "--units", "3", "--zrm-log", tmp / "locked/zrm.dat"}));
    EXPECT_EQ(locked.Wait(10s), 1);
    fs::permissions(tmp.Path() / "locked", fs::perms::owner_all);
}

TEST(Kilnsim, OutlivesItsClientsAndPacesRepliesAtLineSpeed) {
    TempFolder tmp;
    ASSERT_TRUE(tmp.Valid());
    ChildProcess sim;
    ASSERT_TRUE(sim.Start({KILNSIM_PATH, "--units", "4", "--link", tmp / "com1"}));
    ASSERT_TRUE(sim.ReadUntil("linked as", 5s)) << sim.Output();

    for (int client = 0; client < 2; ++client) {
        SCOPED_TRACE(client);
        const int fd = ::open((tmp / "com1").c_str(), O_RDWR | O_NOCTTY);
        ASSERT_GE(fd, 0);
        termios raw{};
        ASSERT_EQ(::tcgetattr(fd, &raw), 0);
        ::cfmakeraw(&raw);
        ASSERT_EQ(::tcsetattr(fd, TCSANOW, &raw), 0);
        ::tcflush(fd, TCIFLUSH);

        const unsigned char query[] = {4, 0x51, 0, 4 + 0x51};
        const auto sent = std::chrono::steady_clock::now();
        ASSERT_EQ(::write(fd, query, sizeof query), 4);
        std::string reply;
        while (reply.size() < 60 && std::chrono::steady_clock::now() - sent < 2s) {
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, 100) > 0) {
                char buffer[128];
                const ssize_t n = ::read(fd, buffer, sizeof buffer);
                if (n > 0) {
                    reply.append(buffer, static_cast<std::size_t>(n));
                }
            }
        }
        const auto took = std::chrono::steady_clock::now() - sent;
        ::close(fd);
        ASSERT_EQ(reply.size(), 60u);
        EXPECT_EQ(static_cast<unsigned char>(reply[0]), 4);
        EXPECT_EQ(reply[1], 'D');
        // Query and reply are 64 characters of 10 bits at 2400 bit/s: over a quarter second.
        EXPECT_GE(took, 260ms);
    }
    EXPECT_TRUE(sim.Running()) << "closing the port does not end the simulator";
    sim.Signal(SIGTERM);
    EXPECT_EQ(sim.Wait(5s), 0);
}

TEST(DeviceLink, NeverReplacesAFileAndRemovesOnlyItsOwnLink) {
    TempFolder tmp;
    ASSERT_TRUE(tmp.Valid());
    const std::string file = tmp / "com1";
    std::ofstream(file) << "the user's file";
    {
        DeviceLink link;
        EXPECT_FALSE(link.Create(file, "/dev/null"));
        EXPECT_FALSE(link.Error().empty());
    }
    EXPECT_EQ(ReadFile(file), "the user's file");

    // The operator's link to the farm's real line stays theirs, while kilnsim runs and after.
    const std::string mapped = tmp / "com3";
    fs::create_symlink(file, mapped);
    {
        DeviceLink link;
        EXPECT_FALSE(link.Create(mapped, "/dev/null"));
        EXPECT_NE(link.Error().find(file), std::string::npos) << link.Error();
    }
    EXPECT_EQ(fs::read_symlink(mapped), file);

    const std::string stale = tmp / "sub/com2";
    fs::create_directories(tmp.Path() / "sub");
    fs::create_symlink("/nonexistent", stale);
    {
        DeviceLink link;
        ASSERT_TRUE(link.Create(stale, "/dev/null"));
        EXPECT_EQ(fs::read_symlink(stale), "/dev/null");
    }
    EXPECT_FALSE(fs::exists(fs::symlink_status(stale)));

    // A link that somebody else has repointed meanwhile is theirs now.
    {
        DeviceLink link;
        ASSERT_TRUE(link.Create(stale, "/dev/null"));
        fs::remove(stale);
        fs::create_symlink("/dev/zero", stale);
    }
    EXPECT_EQ(fs::read_symlink(stale), "/dev/zero");
}

TEST(ZrmLogFile, WritesWholeRecordsAndOnlyWhenTheLogGrew) {
    TempFolder tmp;
    ASSERT_TRUE(tmp.Valid());
    ZrmLogFile file(tmp / "ZRM.LOG");
    std::vector<std::uint8_t> log(25, 0xAB); // two records and half of a third
    ASSERT_TRUE(file.Write(log));
    EXPECT_EQ(fs::file_size(tmp.Path() / "ZRM.LOG"), 20u);

    fs::remove(tmp.Path() / "ZRM.LOG");
    ASSERT_TRUE(file.Update(log));
    EXPECT_FALSE(fs::exists(tmp.Path() / "ZRM.LOG")) << "nothing new, nothing written";
    log.resize(30, 0xCD);
    ASSERT_TRUE(file.Update(log));
    EXPECT_EQ(fs::file_size(tmp.Path() / "ZRM.LOG"), 30u);

    ZrmLogFile nowhere(tmp / "missing-folder/ZRM.LOG");
    EXPECT_FALSE(nowhere.Write(log));
    EXPECT_FALSE(nowhere.Error().empty());
}

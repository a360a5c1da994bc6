// kilnmon polling kilnsim over a pseudo-terminal and publishing to a real broker.

#include "BrokerProcess.h"

#include <gtest/gtest.h>

#include <csignal>
#include <regex>

using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

// kilnsim with units 3, 5 and 9 (or 1 to 8), and a hive whose farm 1 has them on COM1.
class KilnmonPublishing : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(tmp.Valid());
        fs::create_directory(tmp.Path() / "work");
    }
    void StartFarm(bool eightUnits = false) {
        if (eightUnits) {
            WriteHive(tmp / "registry.reg", {1, 2, 3, 4, 5, 6, 7, 8}, 1);
        } else {
            WriteHive(tmp / "registry.reg", {3, 5, 9}, 1);
        }
        ASSERT_TRUE(sim.Start(
            {KILNSIM_PATH, "--units", eightUnits ? "1-8" : "3,5,9", "--link", tmp / "com1"}));
        ASSERT_TRUE(sim.ReadUntil("linked as", 5s)) << sim.Output();
    }

    bool StartKilnmon(ChildProcess& mon, std::vector<std::string> mqtt,
                      std::map<std::string, std::string> environment = {}) {
        std::vector<std::string> argv = {KILNMON_PATH, "--farm", "1"};
        argv.insert(argv.end(), mqtt.begin(), mqtt.end());
        environment.insert({{"KILNWATCH_REGISTRY", tmp / "registry.reg"},
                            {"KILNWATCH_COM1", tmp / "com1"},
                            {"XDG_CONFIG_HOME", tmp / "config"}});
        return mon.Start(argv, environment, (tmp.Path() / "work").string());
    }

    static std::vector<std::string> Logged(const BrokerProcess& broker) {
        return {"--mqtt",
                broker.Url(),
                "--mqtt-user",
                BrokerProcess::kUser,
                "--mqtt-password-file",
                broker.PasswordFile(),
                "--mqtt-site",
                "north",
                "--mqtt-prefix",
                "plant/kilns"};
    }

    // The start-up scan asks one unit a second, its status line giving the seconds since the
    // connection: a tick that waited would show as a second skipped or a scan missing.
    static void ExpectScanOnEveryTick(const std::string& output) {
        static const std::regex scan(R"(status 0000:00:00:(\d\d): TT_KVN_T1_PIO_O \(KVN\.(\d{3}))");
        std::vector<int> seconds;
        for (auto it = std::sregex_iterator(output.begin(), output.end(), scan);
             it != std::sregex_iterator(); ++it) {
            seconds.push_back(std::stoi((*it)[1]));
        }
        ASSERT_GE(seconds.size(), 4u) << output;
        for (std::size_t i = 0; i < seconds.size(); ++i) {
            EXPECT_EQ(seconds[i], static_cast<int>(i)) << output;
        }
    }

    TempFolder tmp;
    ChildProcess sim;
};

} // namespace

TEST_F(KilnmonPublishing, EveryUnitsStateIsRetainedAndTheWillSaysOfflineWhenKilled) {
    StartFarm();
    BrokerProcess broker(tmp);
    ASSERT_TRUE(broker.Start());
    ChildProcess status;
    ASSERT_TRUE(status.Start(broker.Subscriber("plant/kilns/north/status", {"-d"})));
    ASSERT_TRUE(status.ReadUntil("SUBACK", 5s));

    ChildProcess mon;
    ASSERT_TRUE(StartKilnmon(mon, Logged(broker)));
    ASSERT_TRUE(status.ReadUntil("\"state\":\"online\"", 10s)) << mon.Output();
    mon.ReadFor(6s); // each unit answers once at least

    ChildProcess retained;
    ASSERT_TRUE(retained.Start(
        broker.Subscriber("plant/kilns/north/farm/1/#", {"--retained-only", "-W", "3"})));
    retained.Wait(6s);
    const std::string states = retained.Output();
    for (const char* unit : {"003", "005", "009"}) {
        EXPECT_NE(states.find(std::string("plant/kilns/north/farm/1/unit/") + unit +
                              "/state {\"layout\":1,"),
                  std::string::npos)
            << unit << "\n"
            << states;
    }
    EXPECT_NE(states.find("\"data\":true,\"mode\":\"run\""), std::string::npos) << states;
    EXPECT_NE(states.find("plant/kilns/north/farm/1/connection {\"layout\":1,"), std::string::npos);
    EXPECT_NE(states.find("\"state\":\"connected\""), std::string::npos);

    mon.Signal(SIGKILL);
    mon.Wait(5s);
    EXPECT_TRUE(status.ReadUntil("\"state\":\"offline\"", 10s)) << "the will: " << status.Output();
    EXPECT_EQ(mon.Output().find(BrokerProcess::kPassword), std::string::npos);
}

TEST_F(KilnmonPublishing, AnOrderlyEndSaysOfflineItself) {
    StartFarm();
    BrokerProcess broker(tmp);
    ASSERT_TRUE(broker.Start());
    ChildProcess events;
    ASSERT_TRUE(events.Start(broker.Subscriber("plant/kilns/north/#", {"-d"})));
    ASSERT_TRUE(events.ReadUntil("SUBACK", 5s));
    ChildProcess mon;
    ASSERT_TRUE(StartKilnmon(mon, Logged(broker)));
    ASSERT_TRUE(events.ReadUntil("\"event\":\"farm-connected\",\"farm\":1}", 10s)) << mon.Output();
    mon.Signal(SIGINT);
    EXPECT_EQ(mon.Wait(10s), 0) << mon.Output();
    ASSERT_TRUE(events.ReadUntil("\"state\":\"offline\"", 5s)) << events.Output();
    const std::string out = events.Output();
    EXPECT_LT(out.find("\"event\":\"farm-disconnected\",\"farm\":1}"),
              out.find("\"state\":\"offline\""));
}

TEST_F(KilnmonPublishing, AWrongPasswordIsToldAndPollingGoesOn) {
    StartFarm(true);
    BrokerProcess broker(tmp);
    ASSERT_TRUE(broker.Start());
    ChildProcess mon;
    ASSERT_TRUE(StartKilnmon(mon,
                             {"--mqtt", broker.Url(), "--mqtt-user", BrokerProcess::kUser,
                              "--mqtt-password-env", "SITE_PW", "--mqtt-site", "north"},
                             {{"SITE_PW", "not-the-password"}}));
    mon.ReadFor(8500ms);
    mon.Signal(SIGINT);
    EXPECT_EQ(mon.Wait(10s), 0);
    const std::string out = mon.Output();
    EXPECT_NE(out.find("refused the connection: Connection Refused: not authorised"),
              std::string::npos)
        << out;
    EXPECT_EQ(out.find("not-the-password"), std::string::npos);
    ExpectScanOnEveryTick(out);
}

TEST_F(KilnmonPublishing, ABrokerThatNeverAnswersLeavesPollingAlone) {
    StartFarm(true);
    SilentListener silent;
    ChildProcess mon;
    ASSERT_TRUE(StartKilnmon(mon, {"--mqtt", "mqtt://127.0.0.1:" + std::to_string(silent.Port()),
                                   "--mqtt-site", "north"}));
    mon.ReadFor(8500ms);
    mon.Signal(SIGINT);
    EXPECT_EQ(mon.Wait(10s), 0);
    ExpectScanOnEveryTick(mon.Output());
    EXPECT_NE(mon.Output().find("kilnmon: stopped"), std::string::npos);
}

TEST_F(KilnmonPublishing, BadSettingsEndAtStartWithStatus2) {
    StartFarm();
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"--mqtt", "tcp://host", "--mqtt-site", "a"}, "must start with mqtt://"},
        {{"--mqtt", "mqtt://host"}, "site name"},
        {{"--mqtt", "mqtt://host", "--mqtt-site", "a", "--mqtt-password-env", "NOPE_X"},
         "needs a user name"},
        {{"--mqtt", "mqtt://host", "--mqtt-site", "a", "--mqtt-user", "u", "--mqtt-password-file",
          "/nonexistent/pw"},
         "cannot be read"},
        {{"--mqtt-site"}, "--mqtt-site needs a value"},
    };
    for (const auto& [options, message] : cases) {
        ChildProcess mon;
        ASSERT_TRUE(StartKilnmon(mon, options));
        EXPECT_EQ(mon.Wait(10s), 2) << mon.Output();
        EXPECT_NE(mon.Output().find(message), std::string::npos) << mon.Output();
    }
}

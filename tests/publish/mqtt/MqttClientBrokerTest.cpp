// The MQTT client and the publisher against a real broker on a loopback port.

#include "BrokerProcess.h"
#include "publish/FarmPublisher.h"
#include "publish/mqtt/MqttPublisher.h"

#include <gtest/gtest.h>

#include <thread>

using namespace std::chrono_literals;

namespace {

constexpr std::int64_t kNow = 849000000;

PublishConfig ConfigFor(const BrokerProcess& broker) {
    PublishConfig config;
    config.brokerUrl = broker.Url();
    config.userName = BrokerProcess::kUser;
    config.passwordFile = broker.PasswordFile();
    config.site = "yard";
    config.prefix = "t";
    return config;
}

struct Client {
    explicit Client(PublishConfig config, const std::string& password = BrokerProcess::kPassword) {
        std::string error;
        EXPECT_TRUE(config.Validate(error)) << error;
        mqtt = std::make_unique<MqttPublisher>(config, password, "t/yard/status", "{\"gone\":1}");
        EXPECT_TRUE(mqtt->Start(error)) << error;
        publisher = std::make_unique<FarmPublisher>(*mqtt, "t", "yard");
    }
    bool WaitConnected(std::chrono::milliseconds limit = 10s) {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (!mqtt->Connected() && std::chrono::steady_clock::now() < end) {
            std::this_thread::sleep_for(20ms);
        }
        return mqtt->Connected();
    }
    // Ticks until the queue and the client are empty.
    bool Drain(std::chrono::milliseconds limit = 10s) {
        const auto end = std::chrono::steady_clock::now() + limit;
        do {
            publisher->Tick(kNow, -1, nullptr, "");
            if (publisher->Queue().Empty() && mqtt->Outstanding() == 0) {
                return true;
            }
            std::this_thread::sleep_for(20ms);
        } while (std::chrono::steady_clock::now() < end);
        return false;
    }
    std::unique_ptr<MqttPublisher> mqtt;
    std::unique_ptr<FarmPublisher> publisher;
};

KilnRecord WithData() {
    KilnRecord record;
    record.m_iCuringMethod = 2;
    record.m_iUnitStatus = 4;
    record.m_wRtd = {2700, 2700, 2700, 3000};
    return record;
}

// The "event" and farm fields of each event line a subscriber printed, in order.
std::vector<std::string> EventsOf(const std::string& output) {
    std::vector<std::string> events;
    for (const std::string& line : Lines(output)) {
        if (line.starts_with("t/yard/events ")) {
            const std::size_t at = line.find("\"event\":");
            events.push_back(at == std::string::npos ? line : line.substr(at));
        }
    }
    return events;
}

} // namespace

TEST(MqttClientWithBroker, RetainedStatesForEveryUnitAndEventsInOrderAtQos1) {
    TempFolder folder;
    BrokerProcess broker(folder);
    ASSERT_TRUE(broker.Start());
    ChildProcess events;
    ASSERT_TRUE(events.Start(broker.Subscriber("t/yard/events", {"-d"})));
    ASSERT_TRUE(events.ReadUntil("SUBACK", 5s)) << events.Output();

    Client client(ConfigFor(broker));
    ASSERT_TRUE(client.WaitConnected());
    for (int farm = 0; farm < 2; ++farm) {
        for (int node = 1; node <= 254; ++node) {
            client.publisher->UnitData(farm, WithData(), KilnRecord{}, node, kNow);
        }
    }
    for (int i = 0; i < 30; ++i) {
        client.publisher->FarmConnected(i % 4, kNow + i);
        client.publisher->FarmDisconnected(i % 4, kNow + i);
    }
    ASSERT_TRUE(client.Drain());

    // A consumer that comes later reads every unit's state from the broker's retained store.
    ChildProcess late;
    ASSERT_TRUE(late.Start(broker.Subscriber("t/yard/farm/+/unit/+/state",
                                             {"--retained-only", "-C", "508", "-W", "10"})));
    EXPECT_EQ(late.Wait(15s), 0);
    EXPECT_EQ(Lines(late.Output()).size(), 508u);
    EXPECT_NE(late.Output().find("t/yard/farm/2/unit/254/state {\"layout\":1,"), std::string::npos);

    events.ReadFor(1s);
    std::vector<std::string> expected;
    for (int i = 0; i < 30; ++i) {
        const std::string farm = std::to_string(i % 4 + 1);
        expected.push_back("\"event\":\"farm-connected\",\"farm\":" + farm + "}");
        expected.push_back("\"event\":\"farm-disconnected\",\"farm\":" + farm + "}");
    }
    EXPECT_EQ(EventsOf(events.Output()), expected);
    EXPECT_NE(events.Output().find("PUBLISH (d0, q1, r0, m"), std::string::npos)
        << "delivered at QoS 1";
}

TEST(MqttClientWithBroker, EventsWaitWhileTheBrokerIsStoppedAndAllArriveWhenItReturns) {
    TempFolder folder;
    BrokerProcess broker(folder);
    ASSERT_TRUE(broker.Start());
    Client client(ConfigFor(broker));
    ASSERT_TRUE(client.WaitConnected());
    client.publisher->FarmConnected(0, kNow);
    ASSERT_TRUE(client.Drain());

    broker.Stop();
    for (int i = 0; i < 40 && client.mqtt->Connected(); ++i) {
        std::this_thread::sleep_for(50ms);
    }
    ASSERT_FALSE(client.mqtt->Connected());
    for (int i = 0; i < 20; ++i) {
        client.publisher->PortLost(0, kNow + i);
        client.publisher->FarmConnected(0, kNow + i);
        client.publisher->UnitData(0, WithData(), KilnRecord{}, 1 + i % 3, kNow + i);
        client.publisher->Tick(kNow + i, 0, nullptr, "");
    }
    EXPECT_EQ(client.publisher->Queue().Dropped(), 0u);

    ASSERT_TRUE(broker.Start());
    ChildProcess events;
    ASSERT_TRUE(events.Start(broker.Subscriber("t/yard/events", {"-d"})));
    ASSERT_TRUE(events.ReadUntil("SUBACK", 5s)) << events.Output();
    ASSERT_TRUE(client.WaitConnected(40s)) << "reconnects with its back-off";
    ASSERT_TRUE(client.Drain());
    events.ReadFor(500ms);
    const std::vector<std::string> got = EventsOf(events.Output());
    ASSERT_EQ(got.size(), 40u) << events.Output();
    for (std::size_t i = 0; i < got.size(); i += 2) {
        EXPECT_EQ(got[i], "\"event\":\"port-lost\",\"farm\":1}");
        EXPECT_EQ(got[i + 1], "\"event\":\"reconnected\",\"farm\":1}");
    }
    const auto notices = client.publisher->TakeNotices();
    std::string all;
    for (const auto& notice : notices) {
        all += notice + "\n";
    }
    EXPECT_NE(all.find("the broker is away"), std::string::npos) << all;
    EXPECT_NE(all.find("the broker is back"), std::string::npos) << all;
}

TEST(MqttClientWithBroker, AWrongPasswordIsToldOnceAndNothingWaits) {
    TempFolder folder;
    BrokerProcess broker(folder);
    ASSERT_TRUE(broker.Start());
    Client client(ConfigFor(broker), "wrong");
    std::string all;
    for (int i = 0; i < 100 && all.empty(); ++i) {
        for (const auto& notice : client.mqtt->TakeNotices()) {
            all += notice + "\n";
        }
        client.publisher->FarmConnected(0, kNow);
        client.publisher->Tick(kNow, 0, nullptr, "");
        std::this_thread::sleep_for(50ms);
    }
    EXPECT_NE(all.find("refused the connection"), std::string::npos) << all;
    EXPECT_NE(all.find("check the user name and the password"), std::string::npos) << all;
    EXPECT_EQ(all.find("wrong"), std::string::npos) << "the password is never told";
    EXPECT_FALSE(client.mqtt->Connected());
    EXPECT_FALSE(client.publisher->Queue().Empty());
    std::this_thread::sleep_for(1500ms); // another attempt or two: no second notice
    EXPECT_TRUE(client.mqtt->TakeNotices().empty());
}

TEST(MqttClientWithBroker, ABrokerThatNeverAnswersLeavesTheTickAndTheEndFree) {
    SilentListener silent;
    ASSERT_NE(silent.Port(), 0);
    PublishConfig config;
    config.brokerUrl = "mqtt://127.0.0.1:" + std::to_string(silent.Port());
    config.site = "yard";
    config.prefix = "t";
    Client client(config);
    for (int i = 0; i < 20; ++i) {
        client.publisher->FarmConnected(0, kNow + i);
        client.publisher->Tick(kNow + i, 0, nullptr, "");
        std::this_thread::sleep_for(10ms);
    }
    EXPECT_FALSE(client.mqtt->Connected());
    EXPECT_EQ(client.publisher->Queue().Size(), 21u); // 20 events and the farm's state
    // The end does not wait on the silent broker beyond its bound.
    client.publisher.reset();
    client.mqtt.reset();
}

TEST(MqttClientWithBroker, PublishesOverTlsWithTheCaFileGiven) {
    TempFolder folder;
    BrokerProcess broker(folder, true);
    ASSERT_TRUE(broker.Start());
    PublishConfig config = ConfigFor(broker);
    config.caFile = broker.CaFile();
    ChildProcess events;
    ASSERT_TRUE(events.Start(broker.Subscriber("t/yard/events", {"-d"})));
    ASSERT_TRUE(events.ReadUntil("SUBACK", 5s)) << events.Output();
    Client client(config);
    ASSERT_TRUE(client.WaitConnected());
    client.publisher->FarmConnected(2, kNow);
    ASSERT_TRUE(client.Drain());
    ASSERT_TRUE(events.ReadUntil("\"event\":\"farm-connected\",\"farm\":3}", 5s))
        << events.Output();

    // A CA that did not sign the broker's certificate: the handshake fails and is told.
    TempFolder other;
    BrokerProcess stranger(other, true);
    ASSERT_TRUE(stranger.Start());
    config.caFile = stranger.CaFile();
    Client refused(config);
    std::string all;
    for (int i = 0; i < 100 && all.empty(); ++i) {
        for (const auto& notice : refused.mqtt->TakeNotices()) {
            all += notice + "\n";
        }
        std::this_thread::sleep_for(50ms);
    }
    EXPECT_FALSE(refused.mqtt->Connected());
    // The handshake fails while connecting or in the loop after, as the timing falls: either
    // way the notice names the broker and what went wrong.
    EXPECT_NE(all.find("the broker at 127.0.0.1"), std::string::npos) << all;
    EXPECT_TRUE(all.find("TLS") != std::string::npos || all.find("failed") != std::string::npos)
        << all;
}

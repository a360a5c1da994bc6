#include "publish/FarmPublisher.h"

#include "RecordingPublisher.h"
#include "base/PcLogLine.h"
#include "kiln/KilnDecoding.h"
#include "net/LineHealth.h"
#include "publish/PublishingFarmTree.h"
#include "publish/PublishingKilnList.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

// 2026-12-01 01:23:07 in the document's local seconds since 2000-01-01.
constexpr std::int64_t kNow = 849403387;

// Raw readings are twentieths of a degree Fahrenheit: 1320 is 66 °F, 18.9 °C.
KilnRecord Running(int alarm = AS_NORMAL) {
    KilnRecord record;
    record.m_byIdentificationCode = 7;
    record.m_iCuringMethod = CM_DT;
    record.m_iUnitStatus = US_RUN;
    record.m_bCentigrade = 1;
    record.m_bHeaterOn = 1;
    record.m_iAlarmStatus = alarm;
    record.m_wRtd = {2700, 2720, 4300, 3000};
    return record;
}

std::vector<std::string> Payloads(const std::vector<PublishMessage>& messages,
                                  const std::string& topic) {
    std::vector<std::string> out;
    for (const PublishMessage& message : messages) {
        if (message.topic == topic) {
            out.push_back(message.payload);
        }
    }
    return out;
}

} // namespace

TEST(PublishPayloads, UnitStateCarriesBothScalesHealthAndTreatment) {
    const PublishPayloads payloads("kilnwatch", "north");
    UnitLineHealth health;
    health.polls = 10;
    health.goodReplies = 9;
    health.noValidReply = 1;
    health.lastGoodReply = kNow - 4;
    PublishPayloads::Treatment treatment{35, true};
    EXPECT_EQ(payloads.UnitTopic(0, 7), "kilnwatch/north/farm/1/unit/007/state");
    EXPECT_EQ(payloads.UnitState(0, 7, Running(), &health, treatment, kNow),
              "{\"layout\":1,\"time\":\"2026-12-01T01:23:07\",\"site\":\"north\",\"farm\":1,"
              "\"unit\":7,\"data\":true,\"mode\":\"run\",\"scale\":\"C\",\"core1\":57,"
              "\"core1_c\":57.2,\"core2\":58,\"core2_c\":57.8,\"core3\":null,\"core3_c\":null,"
              "\"chamber\":66,\"chamber_c\":65.6,\"heater\":true,\"alarm\":\"normal\","
              "\"line\":{\"polls\":10,\"good_replies\":9,\"no_valid_reply\":1,\"give_ups\":0,"
              "\"refused\":0,\"seconds_since_good\":4,\"failing\":false},"
              "\"treatment\":{\"held_minutes\":35,\"verdict\":\"treated\"}}");
    EXPECT_EQ(payloads.UnitState(1, 200, KilnRecord{}, nullptr, std::nullopt, kNow),
              "{\"layout\":1,\"time\":\"2026-12-01T01:23:07\",\"site\":\"north\",\"farm\":2,"
              "\"unit\":200,\"data\":false,\"line\":null,\"treatment\":null}");
}

TEST(PublishPayloads, QuotesTextAsValidJson) {
    EXPECT_EQ(PublishPayloads::Quoted("a\"b\\c\n\x01"), "\"a\\\"b\\\\c\\u000a\\u0001\"");
    EXPECT_EQ(PublishPayloads::Quoted("caf\xC3\xA9"), "\"caf\xC3\xA9\"");
    EXPECT_EQ(PublishPayloads::Quoted("\xFF\xC3"), "\"\xEF\xBF\xBD\xEF\xBF\xBD\"");
    EXPECT_EQ(PublishPayloads::TimeText(0), "2000-01-01T00:00:00");
    EXPECT_EQ(PublishPayloads::TimeText(-1), "1999-12-31T23:59:59");
}

class FarmPublisherTest : public ::testing::Test {
protected:
    RecordingPublisher broker;
    FarmPublisher publisher{broker, "kw", "site", 8};
    std::string events = "kw/site/events";
};

TEST_F(FarmPublisherTest, PublishesChangedUnitsOnTheTickAndConnectionsAsEvents) {
    publisher.FarmConnected(0, kNow);
    publisher.UnitData(0, Running(), KilnRecord{}, 7, kNow);
    publisher.UnitData(0, Running(AS_HIGH), Running(), 7, kNow);
    publisher.UnitData(0, Running(), Running(AS_HIGH), 7, kNow);
    EXPECT_TRUE(broker.sent.empty()) << "nothing goes out between ticks";
    publisher.Tick(kNow, 0, nullptr, "");

    const auto eventPayloads = Payloads(broker.sent, events);
    ASSERT_EQ(eventPayloads.size(), 3u);
    EXPECT_NE(eventPayloads[0].find("\"event\":\"farm-connected\",\"farm\":1"), std::string::npos);
    EXPECT_NE(eventPayloads[1].find("\"event\":\"alarm-raised\",\"farm\":1,\"unit\":7,"
                                    "\"detail\":\"High\""),
              std::string::npos);
    EXPECT_NE(eventPayloads[2].find("\"event\":\"alarm-cleared\""), std::string::npos);
    for (const PublishMessage& message : broker.sent) {
        EXPECT_EQ(message.qos, 1);
        EXPECT_EQ(message.retain, message.topic != events) << message.topic;
    }
    EXPECT_EQ(Payloads(broker.sent, "kw/site/farm/1/unit/007/state").size(), 1u);
    EXPECT_EQ(Payloads(broker.sent, "kw/site/farm/1/connection").size(), 1u);

    broker.sent.clear();
    publisher.Tick(kNow + 1, 0, nullptr, "");
    EXPECT_TRUE(broker.sent.empty()) << "an unchanged unit is not sent again";
}

TEST_F(FarmPublisherTest, FedByTheJournalItPublishesTheJournalsEventsAndNoneOfItsOwn) {
    publisher.UseJournalEvents();
    publisher.FarmConnected(0, kNow);
    publisher.UnitData(0, Running(AS_HIGH), Running(), 7, kNow);
    publisher.PortLost(0, kNow);
    publisher.JournalEvent({kNow, 0, 7, EventKind::ChargeBroken, "29 min, core 2 read 54C"});
    publisher.Tick(kNow, 0, nullptr, "");
    EXPECT_EQ(Payloads(broker.sent, events),
              std::vector<std::string>{
                  "{\"layout\":1,\"time\":\"2026-12-01T01:23:07\",\"site\":\"site\","
                  "\"event\":\"charge-broken\",\"farm\":1,\"unit\":7,\"detail\":\"29 min, core 2 "
                  "read 54C\"}"});
    EXPECT_EQ(Payloads(broker.sent, "kw/site/farm/1/connection").size(), 1u)
        << "the farm's state is still the publisher's";
}

TEST_F(FarmPublisherTest, ALostPortAndTheNextConnectionAreToldApart) {
    publisher.PortLost(1, kNow);
    publisher.FarmDisconnected(1, kNow);
    publisher.FarmConnected(1, kNow + 5);
    publisher.FarmConnected(1, kNow + 9);
    publisher.Tick(kNow + 9, 1, nullptr, "");
    const auto eventPayloads = Payloads(broker.sent, events);
    ASSERT_EQ(eventPayloads.size(), 4u);
    EXPECT_NE(eventPayloads[0].find("port-lost"), std::string::npos);
    EXPECT_NE(eventPayloads[1].find("farm-disconnected"), std::string::npos);
    EXPECT_NE(eventPayloads[2].find("reconnected"), std::string::npos);
    EXPECT_NE(eventPayloads[3].find("\"farm-connected\""), std::string::npos);
    EXPECT_NE(Payloads(broker.sent, "kw/site/farm/2/connection").back().find("\"connected\""),
              std::string::npos);
}

TEST_F(FarmPublisherTest, WhileTheBrokerIsAwayEventsWaitAndTheDropCountFollowsItsReturn) {
    publisher.Tick(kNow, 0, nullptr, "");
    broker.sent.clear();
    broker.connected = false;
    publisher.Tick(kNow, 0, nullptr, "");
    // 5 events and 20 units into a queue of 8: readings go first, every event stays.
    for (int i = 0; i < 5; ++i) {
        publisher.FarmConnected(0, kNow + i);
    }
    for (int node = 1; node <= 20; ++node) {
        publisher.UnitData(0, Running(), Running(), node, kNow);
    }
    publisher.Tick(kNow + 1, 0, nullptr, "");
    EXPECT_TRUE(broker.sent.empty());
    auto notices = publisher.TakeNotices();
    ASSERT_EQ(notices.size(), 2u);
    EXPECT_NE(notices[0].find("broker is away"), std::string::npos);
    EXPECT_NE(notices[1].find("oldest readings are being dropped"), std::string::npos);
    publisher.Tick(kNow + 2, 0, nullptr, "");
    EXPECT_TRUE(publisher.TakeNotices().empty()) << "the drop is told once";

    broker.connected = true;
    publisher.Tick(kNow + 3, 0, nullptr, "");
    const auto eventPayloads = Payloads(broker.sent, events);
    ASSERT_EQ(eventPayloads.size(), 6u) << "every event stayed, and the count follows";
    // The newest readings made it; the count of those that did not is published.
    EXPECT_EQ(Payloads(broker.sent, "kw/site/farm/1/unit/020/state").size(), 1u);
    EXPECT_TRUE(Payloads(broker.sent, "kw/site/farm/1/unit/001/state").empty());
    EXPECT_NE(broker.sent.back().payload.find("\"event\":\"messages-dropped\",\"count\":"),
              std::string::npos);
    notices = publisher.TakeNotices();
    ASSERT_EQ(notices.size(), 2u);
    EXPECT_NE(notices[0].find("broker is back"), std::string::npos);
    EXPECT_NE(notices[1].find("messages were dropped"), std::string::npos);
    EXPECT_TRUE(publisher.Queue().Empty());
}

TEST_F(FarmPublisherTest, TheViewsBetweenDocumentAndPublisherPassEveryNoticeOn) {
    struct List : KilnListView {
        int data = 0;
        void nOTIFYoFtREEsELECTION(bool, int, const UnitSlots&) override {}
        void NotifyOfData(int, int, const KilnRecord&, const KilnRecord&, int) override { ++data; }
        void NotifyOfStartupScanStatus(bool) override {}
        void nOTIFYoFsTATUS(int) override {}
        void RemoveLine(int, int) override {}
        int NodeIndexOfItem(int item) const override { return item + 1; }
    } list;
    struct Tree : FarmTreeView {
        int connections = 0;
        void NotifyOfConnection(int) override { ++connections; }
        void NotifyOfDisconnection(int) override {}
    } tree;
    PublishingKilnList publishingList(list, publisher, [] { return kNow; });
    PublishingFarmTree publishingTree(tree, publisher, [] { return kNow; });
    KilnListView::UnitSlots slots{};
    slots[2] = KilnRecord{};
    publishingList.nOTIFYoFtREEsELECTION(true, 0, slots);
    publishingTree.NotifyOfConnection(0);
    publishingList.NotifyOfData(0, 0, Running(), KilnRecord{}, 300); // out of range: ignored
    publishingList.NotifyOfData(0, 0, Running(), KilnRecord{}, 7);
    EXPECT_EQ(list.data, 2);
    EXPECT_EQ(tree.connections, 1);
    EXPECT_EQ(publishingList.NodeIndexOfItem(4), 5);
    publisher.Tick(kNow, 0, nullptr, "");
    EXPECT_EQ(Payloads(broker.sent, "kw/site/farm/1/unit/003/state").size(), 1u);
    EXPECT_EQ(Payloads(broker.sent, "kw/site/farm/1/unit/007/state").size(), 1u);

    publisher.Stop(kNow);
    EXPECT_EQ(broker.sent.back().topic, "kw/site/status");
    EXPECT_NE(broker.sent.back().payload.find("\"state\":\"offline\""), std::string::npos);
    EXPECT_TRUE(broker.sent.back().retain);
}

TEST_F(FarmPublisherTest, EveryNewConnectionSaysTheProgramIsOnlineFirst) {
    publisher.FarmConnected(0, kNow);
    publisher.Tick(kNow, 0, nullptr, "");
    ASSERT_GE(broker.sent.size(), 1u);
    EXPECT_EQ(broker.sent.front().topic, "kw/site/status");
    EXPECT_NE(broker.sent.front().payload.find("\"state\":\"online\""), std::string::npos);
    broker.sent.clear();
    publisher.Tick(kNow + 1, 0, nullptr, "");
    EXPECT_TRUE(broker.sent.empty());
    ++broker.sessions; // lost and made again between two ticks
    publisher.Tick(kNow + 2, 0, nullptr, "");
    ASSERT_EQ(broker.sent.size(), 1u);
    EXPECT_EQ(broker.sent.front().topic, "kw/site/status");
}

TEST_F(FarmPublisherTest, TreatmentProgressComesFromTheConnectionsPcLog) {
    const std::string path =
        (std::filesystem::temp_directory_path() /
         ("publish_treatment_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
          ".CSV"))
            .string();
    // Unit 7 at 57 °C on every core for 40 minutes, a line a minute: held and treated.
    {
        std::ofstream log(path, std::ios::binary);
        log << "charge 14\r\n";
        for (int minute = 0; minute <= 40; ++minute) {
            const int ofDay = 8 * 3600 + minute * 60;
            log << PcLogLine::stamp(12, 6, 6, ofDay / 3600, ofDay / 60 % 60, ofDay % 60) +
                       PcLogLine::fields(7, true, 57, 57, 57, 65) + "\r\n";
        }
    }
    publisher.UnitData(0, Running(), KilnRecord{}, 7, kNow);
    publisher.UnitData(0, Running(), KilnRecord{}, 8, kNow);
    publisher.Tick(kNow, 0, nullptr, path);
    const auto unit7 = Payloads(broker.sent, "kw/site/farm/1/unit/007/state");
    ASSERT_EQ(unit7.size(), 1u);
    EXPECT_NE(unit7[0].find("\"treatment\":{\"held_minutes\":40,\"verdict\":\"treated\"}"),
              std::string::npos)
        << unit7[0];
    // A unit without lines in the log has no treatment to tell; another farm neither.
    EXPECT_NE(Payloads(broker.sent, "kw/site/farm/1/unit/008/state")[0].find("\"treatment\":null"),
              std::string::npos);
    std::filesystem::remove(path);
}

TEST_F(FarmPublisherTest, ReadingsGoOutTogetherEveryFewSecondsAndEventsAtOnce) {
    publisher.Tick(kNow, 0, nullptr, ""); // online
    broker.sent.clear();
    for (int second = 1; second < FarmPublisher::kReadingBatchSeconds; ++second) {
        publisher.UnitData(0, Running(), Running(), second, kNow + second);
        publisher.Tick(kNow + second, 0, nullptr, "");
    }
    EXPECT_TRUE(broker.sent.empty());
    publisher.Tick(kNow + FarmPublisher::kReadingBatchSeconds, 0, nullptr, "");
    EXPECT_EQ(broker.sent.size(),
              static_cast<std::size_t>(FarmPublisher::kReadingBatchSeconds - 1));

    broker.sent.clear();
    publisher.UnitData(0, Running(), Running(), 9, kNow + 6);
    publisher.UnitData(0, Running(AS_LOW), Running(), 10, kNow + 6);
    publisher.Tick(kNow + 6, 0, nullptr, "");
    ASSERT_EQ(broker.sent.size(), 3u) << "an event takes the waiting readings along";
    EXPECT_EQ(broker.sent[0].topic, events);
}

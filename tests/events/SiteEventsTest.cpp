#include "events/SiteEvents.h"

#include "events/EventJournalReader.h"
#include "support/AlarmFarm.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include <string>
#include <vector>

namespace {

struct WatchedFarm : AlarmFarm {
    WatchedFarm() : AlarmFarm({1, 2, 3}) {}
    ScratchDirectory journalDir;
    SiteEvents events{doc, SiteEvents::Options{journalDir.Path(), true, "op pid 1"}};

    void Run(int ticks) {
        Ticks(ticks, [this] { events.Tick(); });
    }
    std::vector<std::string> Journal() const {
        std::vector<std::string> lines;
        for (const Event& event : ReadJournal(journalDir.Path()).events) {
            lines.push_back(std::string(EventKindName(event.kind)) + " " +
                            std::to_string(event.unit) + " " + event.detail);
        }
        return lines;
    }
};

} // namespace

TEST(SiteEvents, AcknowledgingSilencesTheToneUntilANewAlarmIsRaised) {
    WatchedFarm farm;
    farm.events.Start();
    farm.alarmBits[2] = alarm_farm::kHighAlarm;
    farm.Run(6);
    ASSERT_TRUE(farm.doc.ToneSounding());
    EXPECT_TRUE(farm.events.Unacknowledged(0, 2));

    EXPECT_TRUE(farm.events.Acknowledge(0, 2, "High"));
    EXPECT_FALSE(farm.doc.ToneSounding()) << "silenced at once";
    farm.Run(6);
    EXPECT_FALSE(farm.doc.ToneSounding()) << "the same alarm, still reported, stays silent";
    EXPECT_FALSE(farm.events.Unacknowledged(0, 2));

    farm.alarmBits[1] = alarm_farm::kLowAlarm;
    farm.Run(6);
    EXPECT_TRUE(farm.doc.ToneSounding()) << "a new alarm sounds again";
    EXPECT_FALSE(farm.events.Acknowledge(0, 1, "High")) << "unit 1 reports Low";

    farm.alarmBits[1] = 0;
    farm.Run(6);
    EXPECT_TRUE(farm.events.Unacknowledged(0, 1)) << "cleared, but nobody has seen it";
    EXPECT_TRUE(farm.doc.ToneSounding())
        << "once a new alarm ends the silence, every alarm still reported sounds";
    EXPECT_TRUE(farm.events.AcknowledgeAll());
    EXPECT_FALSE(farm.doc.ToneSounding());
    EXPECT_FALSE(farm.events.AcknowledgeAll());
    ASSERT_EQ(farm.events.Alarms().Entries().size(), 1u) << "unit 2's alarm is still reported";
    EXPECT_EQ(farm.events.Alarms().Entries()[0].unit, 2);

    farm.events.End();
    EXPECT_EQ(farm.doc.GetKilnListView(), &farm.list) << "the document has its own views back";
    EXPECT_EQ(farm.doc.GetFarmTreeView(), &farm.tree);
    EXPECT_EQ(farm.Journal(), (std::vector<std::string>{
                                  "program-started 0 op pid 1", "alarm-raised 2 High",
                                  "alarm-acknowledged 2 High, by op pid 1", "alarm-raised 1 Low",
                                  "alarm-cleared 1 Low", "alarm-acknowledged 1 Low, by op pid 1",
                                  "program-ended 0 op pid 1"}));
}

TEST(SiteEvents, ADisconnectionIsJournaledWithTheAlarmsItClearsAndTheToneStops) {
    WatchedFarm farm;
    farm.alarmBits[3] = alarm_farm::kHighAlarm;
    farm.Run(6);
    ASSERT_TRUE(farm.doc.ToneSounding());
    farm.doc.fARMdISCONNECT(0);
    farm.Run(3);
    EXPECT_FALSE(farm.doc.ToneSounding());
    EXPECT_TRUE(farm.events.Unacknowledged(0, 3));
    const std::vector<Event> told = farm.events.TakeEvents();
    ASSERT_GE(told.size(), 3u);
    EXPECT_EQ(told[told.size() - 2].kind, EventKind::FarmDisconnected);
    EXPECT_EQ(told.back().detail, "High, farm disconnected");
}

TEST(SiteEvents, TheSessionNameKeepsAJournalLineWholeWhateverTheEnvironmentSays) {
    const char* saved = std::getenv("USER");
    const std::string before = saved != nullptr ? saved : "";
#if defined(_WIN32)
    _putenv_s("USER", "eve\r\n12/08/26,10:00:00,1,1,alarm-cleared,High");
#else
    setenv("USER", "eve\r\n12/08/26,10:00:00,1,1,alarm-cleared,High", 1);
#endif
    const std::string name = SiteEvents::SessionName();
#if defined(_WIN32)
    _putenv_s("USER", before.c_str());
#else
    setenv("USER", before.c_str(), 1);
#endif
    EXPECT_EQ(name.find_first_of("\r\n"), std::string::npos) << name;
    EXPECT_EQ(name.rfind("eve??12/08/26", 0), 0u) << name;
}

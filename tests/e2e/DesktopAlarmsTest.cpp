// The operator's alarms on the desktop program against kilnsim: an alarm sounds the tone and
// waits in the Alarms pane, Acknowledge silences it, a later alarm on another unit sounds it
// again, and the events journal holds all of it in the order it happened.

#include "ChildProcess.h"
#include "DesktopE2eSupport.h"

#include "app/CTreeListDoc.h"
#include "app/qt/CMainFrame.h"
#include "app/qt/CTreeListApp.h"
#include "events/EventJournalReader.h"
#include "events/EventLine.h"
#include "events/qt/AlarmsPane.h"
#include "kiln/qt/CMyListView.h"
#include "kiln/qt/KilnListModel.h"

#include <QPushButton>
#include <QStandardItemModel>
#include <QTest>
#include <QTreeView>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>

using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

// Units 5 and 7 on COM1, connected at start-up, with the alarm tone switched on.
void WriteAnnunciatingHive(const std::string& path) {
    WriteStartupHive(path, {5, 7});
    std::string hive = ReadFile(path);
    const std::string header = "Windows Registry Editor Version 5.00\r\n\r\n";
    hive.insert(header.size(), "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vantrel\\WRB Explorer]\r\n"
                               "\"Alarm Annunciation\"=dword:00000001\r\n\r\n");
    std::ofstream(path, std::ios::binary | std::ios::trunc) << hive;
}

// The position of the first event from `from` on of that kind (and unit, when given);
// events.size() when there is none.
std::size_t Find(const std::vector<Event>& events, std::size_t from, EventKind kind, int unit = 0) {
    for (std::size_t i = from; i < events.size(); ++i) {
        if (events[i].kind == kind && (unit == 0 || events[i].unit == unit)) {
            return i;
        }
    }
    return events.size();
}

bool LineIsBold(AlarmsPane& pane, int line) {
    return pane.Model().data(pane.Model().index(line, 0), Qt::FontRole).value<QFont>().bold();
}

} // namespace

TEST(KilnwatchAlarms, AcknowledgeSilencesTheToneUntilTheNextAlarmAndTheJournalKeepsEveryEvent) {
    TempFolder tmp;
    ASSERT_TRUE(tmp.Valid());
    WriteAnnunciatingHive(tmp / "registry.reg");
    fs::create_directory(tmp.Path() / "work");
    UseFarmFolder(tmp);

    // Unit 5 in alarm from the start; unit 7 later, once the first has been seen to.
    ChildProcess sim;
    ASSERT_TRUE(sim.Start({KILNSIM_PATH, "--units", "5,7", "--alarm", "5=high", "--alarm",
                           "7=high@25", "--link", tmp / "com1"}));
    ASSERT_TRUE(sim.ReadUntil("linked as", 5s)) << sim.Output();

    CTreeListApp app(Language::English);
    ASSERT_TRUE(app.InitInstance(OptionsInFolder(tmp)));
    CMainFrame& frame = *app.MainFrame();
    CTreeListDoc& doc = frame.Document();
    AlarmsPane& pane = frame.Alarms();
    KilnListModel& list = frame.ListView().Model();
    ASSERT_TRUE(pane.isVisible());

    // The first alarm: the tone, a bold line in the pane, the unit's line marked.
    ASSERT_TRUE(RunEventsUntil(
        [&] {
            AnswerDescriptorPrompt(QStringLiteral("alarms end-to-end"));
            return doc.ToneSounding() && pane.LineCount() >= 1;
        },
        30s))
        << frame.StatusText().toStdString() << " tone " << doc.ToneSounding() << " lines "
        << pane.LineCount();
    ASSERT_EQ(pane.LineCount(), 1) << "the second alarm came before the first was seen to";
    EXPECT_EQ(pane.AlarmOfLine(0)->unit, 5);
    EXPECT_EQ(pane.AlarmOfLine(0)->condition, "High");
    EXPECT_TRUE(LineIsBold(pane, 0));
    EXPECT_TRUE(list.Unacknowledged(4));

    // Acknowledge: the tone stops and stays off while the same alarm goes on.
    pane.List().setCurrentIndex(pane.Model().index(0, 0));
    pane.AcknowledgeButton().click();
    EXPECT_FALSE(doc.ToneSounding());
    ASSERT_EQ(pane.LineCount(), 1);
    EXPECT_FALSE(LineIsBold(pane, 0));
    EXPECT_EQ(pane.Model().data(pane.Model().index(0, AlarmsPane::kState)).toString(),
              "Active, acknowledged");
    EXPECT_FALSE(list.Unacknowledged(4));
    RunEventsUntil([] { return false; }, 3s);
    EXPECT_FALSE(doc.ToneSounding()) << "an acknowledged alarm does not sound again";
    EXPECT_EQ(pane.LineCount(), 1);

    // The second alarm, on unit 7: the tone again, the new line on top in bold.
    ASSERT_TRUE(RunEventsUntil([&] { return doc.ToneSounding() && pane.LineCount() == 2; }, 40s))
        << " tone " << doc.ToneSounding() << " lines " << pane.LineCount();
    EXPECT_EQ(pane.AlarmOfLine(0)->unit, 7);
    EXPECT_TRUE(LineIsBold(pane, 0));
    EXPECT_FALSE(LineIsBold(pane, 1));
    EXPECT_TRUE(list.Unacknowledged(6));

    // From the keyboard this time. The keyboard stayed with unit 5's line, now second; Home
    // goes up to the new alarm and Enter acknowledges it.
    pane.List().setFocus();
    EXPECT_EQ(pane.CurrentAlarm()->unit, 5);
    QTest::keyClick(&pane.List(), Qt::Key_Home);
    QTest::keyClick(&pane.List(), Qt::Key_Return);
    EXPECT_FALSE(doc.ToneSounding());
    EXPECT_FALSE(LineIsBold(pane, 0));
    EXPECT_FALSE(list.Unacknowledged(6));

    frame.close();
    app.ExitInstance();
    sim.Signal(SIGINT);
    EXPECT_EQ(sim.Wait(5s), 0);

    // The journal as the history reads it back: every event in the order it happened, each
    // once; the file itself with its header and CR LF line ends.
    const fs::path folder = tmp.Path() / "work" / "PC_Logs";
    const JournalReading reading = ReadJournal(folder.string());
    const std::vector<Event>& events = reading.events;
    ASSERT_FALSE(events.empty()) << "no journal in " << folder;
    EXPECT_EQ(reading.skippedLines, 0);
    const std::string raw = ReadFile(folder / event_line::FileName(events.front().time));
    EXPECT_EQ(raw.rfind("Date,Time,Farm,Unit,Event,Detail\r\n", 0), 0u);
    EXPECT_EQ(std::count(raw.begin(), raw.end(), '\n'), std::count(raw.begin(), raw.end(), '\r'));
    std::string told;
    for (const Event& event : events) {
        told += event_line::Text(event) + "\n";
    }
    const std::size_t connected = Find(events, 0, EventKind::FarmConnected);
    const std::size_t first = Find(events, connected, EventKind::AlarmRaised, 5);
    const std::size_t acknowledged = Find(events, first, EventKind::AlarmAcknowledged, 5);
    const std::size_t second = Find(events, acknowledged, EventKind::AlarmRaised, 7);
    EXPECT_EQ(events.front().kind, EventKind::ProgramStarted) << told;
    EXPECT_LT(connected, events.size()) << told;
    EXPECT_LT(first, events.size()) << told;
    EXPECT_LT(acknowledged, events.size()) << told;
    EXPECT_LT(second, events.size()) << told;
    EXPECT_LT(Find(events, second, EventKind::AlarmAcknowledged, 7), events.size()) << told;
    EXPECT_EQ(Find(events, first + 1, EventKind::AlarmRaised, 5), events.size())
        << "one alarm, told once\n"
        << told;
    ASSERT_LT(first, events.size());
    EXPECT_EQ(events[first].farm, 0);
    EXPECT_EQ(events[first].detail.rfind("High", 0), 0u) << told;
    EXPECT_EQ(events.back().kind, EventKind::ProgramEnded) << told;
}

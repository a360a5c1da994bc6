// The operator's alarms on the desktop program against kilnsim: an alarm sounds the tone and
// waits in the Alarms pane, Acknowledge silences it, a later alarm on another unit sounds it
// again, and the events journal holds all of it in the order it happened.

#include "ChildProcess.h"
#include "DesktopE2eSupport.h"

#include "app/CTreeListDoc.h"
#include "app/qt/CMainFrame.h"
#include "app/qt/CTreeListApp.h"
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

struct JournalLine {
    std::string farm;
    std::string unit;
    std::string kind;
    std::string detail;
};

// Every line of every monthly journal file in the folder, oldest month first; raw text too,
// to check the line ends.
std::vector<JournalLine> ReadJournalLines(const fs::path& folder, std::string& raw) {
    std::vector<fs::path> files;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("Events_", 0) == 0 && name.size() == 17 && name.substr(13) == ".CSV") {
            files.push_back(entry.path());
        }
    }
    std::sort(files.begin(), files.end());
    std::vector<JournalLine> lines;
    for (const fs::path& file : files) {
        const std::string text = ReadFile(file);
        raw += text;
        const std::vector<std::string> fileLines = Lines(text);
        for (std::size_t i = 1; i < fileLines.size(); ++i) {
            // Date,Time,Farm,Unit,Event,Detail; the detail may hold commas of its own.
            std::vector<std::string> fields;
            std::string field;
            std::istringstream in(fileLines[i]);
            while (fields.size() < 5 && std::getline(in, field, ',')) {
                fields.push_back(field);
            }
            std::string rest;
            std::getline(in, rest);
            if (fields.size() == 5) {
                lines.push_back({fields[2], fields[3], fields[4], rest});
            }
        }
    }
    return lines;
}

// The position of the first line from `from` on with that kind (and unit, when given);
// lines.size() when there is none.
std::size_t Find(const std::vector<JournalLine>& lines, std::size_t from, const std::string& kind,
                 const std::string& unit = {}) {
    for (std::size_t i = from; i < lines.size(); ++i) {
        if (lines[i].kind == kind && (unit.empty() || lines[i].unit == unit)) {
            return i;
        }
    }
    return lines.size();
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

    std::string raw;
    const std::vector<JournalLine> lines = ReadJournalLines(tmp.Path() / "work" / "PC_Logs", raw);
    ASSERT_FALSE(lines.empty()) << "no journal in " << (tmp.Path() / "work" / "PC_Logs");
    EXPECT_EQ(raw.rfind("Date,Time,Farm,Unit,Event,Detail\r\n", 0), 0u);
    EXPECT_EQ(std::count(raw.begin(), raw.end(), '\n'), std::count(raw.begin(), raw.end(), '\r'))
        << "every line ends in CR LF";
    std::string kinds;
    for (const JournalLine& line : lines) {
        kinds += line.kind + " " + line.unit + " " + line.detail + "\n";
    }
    // In the order it happened, each once.
    const std::size_t started = Find(lines, 0, "program-started");
    const std::size_t connected = Find(lines, started, "farm-connected");
    const std::size_t first = Find(lines, connected, "alarm-raised", "5");
    const std::size_t acknowledged = Find(lines, first, "alarm-acknowledged", "5");
    const std::size_t second = Find(lines, acknowledged, "alarm-raised", "7");
    const std::size_t acknowledgedAgain = Find(lines, second, "alarm-acknowledged", "7");
    EXPECT_EQ(started, 0u) << kinds;
    EXPECT_LT(connected, lines.size()) << kinds;
    EXPECT_EQ(lines[std::min(connected, lines.size() - 1)].farm, "1") << kinds;
    EXPECT_LT(first, lines.size()) << kinds;
    EXPECT_EQ(lines[std::min(first, lines.size() - 1)].detail.rfind("High", 0), 0u) << kinds;
    EXPECT_LT(acknowledged, lines.size()) << kinds;
    EXPECT_LT(second, lines.size()) << kinds;
    EXPECT_LT(acknowledgedAgain, lines.size()) << kinds;
    EXPECT_EQ(Find(lines, first + 1, "alarm-raised", "5"), lines.size()) << "one alarm, told once\n"
                                                                         << kinds;
    EXPECT_EQ(lines.back().kind, "program-ended") << kinds;
}

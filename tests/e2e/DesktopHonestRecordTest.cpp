// The record an operator keeps, in real time against kilnsim: a Log Descriptor prompt left open
// for three minutes loses no minute, and the Trend window's live verdict is logtreat's on the
// log that connection wrote, with a unit switched to Standby on the way.

#include "ChildProcess.h"
#include "DesktopE2eSupport.h"

#include "app/CTreeListDoc.h"
#include "app/qt/CMainFrame.h"
#include "app/qt/CTreeListApp.h"
#include "kiln/qt/CMyListView.h"
#include "kiln/qt/KilnListModel.h"
#include "sheets/CPalettePage.h"
#include "sheets/CSpinButton.h"
#include "support/DocProbe.h"
#include "trend/qt/TrendWindow.h"

#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <map>

using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

using WallClock = std::chrono::steady_clock;

bool LiveVerdict(const CTreeListDoc& doc, int unit) {
    TrendWindow window(doc, unit, Language::English);
    auto* threshold = window.findChild<QLineEdit*>("trendThreshold");
    threshold->setText("10C");
    emit threshold->editingFinished();
    window.findChild<QSpinBox*>("trendMinutes")->setValue(3);
    return window.Plot().Treated();
}

// Unit's verdicts from logtreat's CSV summary: "003,TREATED,..." lines.
std::map<int, bool> LogtreatVerdicts(const std::string& csv) {
    std::map<int, bool> verdicts;
    for (const std::string& line : Lines(csv)) {
        if (line.size() > 4 && line[3] == ',' && line.rfind("unit", 0) != 0) {
            verdicts[std::stoi(line.substr(0, 3))] = line.compare(4, 7, "TREATED") == 0;
        }
    }
    return verdicts;
}

} // namespace

TEST(HonestRecord, APromptOpenThreeMinutesLosesNoMinuteAndTheLiveVerdictIsLogtreats) {
    TempFolder tmp;
    ASSERT_TRUE(tmp.Valid());
    WriteStartupHive(tmp / "registry.reg", {3, 4});
    fs::create_directory(tmp.Path() / "work");
    UseFarmFolder(tmp);
    ChildProcess sim;
    ASSERT_TRUE(
        sim.Start({KILNSIM_PATH, "--units", "3,4", "--mode", "run", "--link", tmp / "com1"}));
    ASSERT_TRUE(sim.ReadUntil("linked as", 5s)) << sim.Output();

    CTreeListApp app(Language::English);
    ASSERT_TRUE(app.InitInstance(OptionsInFolder(tmp)));
    CMainFrame& frame = *app.MainFrame();
    CTreeListDoc& doc = frame.Document();
    ASSERT_TRUE(RunEventsUntil([&] { return DocProbe(doc).LogDescriptorPromptOpen(); }, 15s));
    const WallClock::time_point asked = WallClock::now();
    const auto since = [&] { return WallClock::now() - asked; };

    // Nobody answers. Meanwhile, at 2.5 minutes, unit 3 is switched to Standby through its sheet:
    // its lines stop, unit 4's go on.
    ASSERT_TRUE(RunEventsUntil([&] { return since() >= 150s; }, 160s));
    bool switched = false;
    QTimer hand;
    hand.setInterval(50);
    QObject::connect(&hand, &QTimer::timeout, [&] {
        CPaletteSheet* sheet = VisiblePaletteSheet();
        if (sheet == nullptr) {
            return;
        }
        CPalettePage& page = sheet->Page();
        if (!switched && page.Spin()->isEnabled() && page.ModeBox()->text() == "RUN") {
            page.Spin()->stepBy(1);
            page.ApplyButton()->click();
            switched = true;
        } else if (switched && !page.ApplyButton()->isEnabled()) {
            sheet->accept();
        }
    });
    hand.start();
    frame.ListView().OpenItem(frame.ListView().Model().ItemOfNode(2));
    ASSERT_TRUE(RunEventsUntil([&] { return switched && VisiblePaletteSheet() == nullptr; }, 25s));
    hand.stop();
    ASSERT_TRUE(DocProbe(doc).LogDescriptorPromptOpen()) << "still unanswered";

    ASSERT_TRUE(RunEventsUntil([&] { return since() >= 185s; }, 40s));
    ASSERT_TRUE(AnswerDescriptorPrompt(QStringLiteral("Charge after three minutes")));
    // The minute after the answer is logged too.
    ASSERT_TRUE(RunEventsUntil([&] { return since() >= 248s; }, 70s));
    const bool live3 = LiveVerdict(doc, 3);
    const bool live4 = LiveVerdict(doc, 4);
    const std::string log = doc.PcLog(0).LogFileName();
    frame.close();
    app.ExitInstance();
    sim.Signal(SIGINT);
    EXPECT_EQ(sim.Wait(5s), 0);

    // The descriptor first, then every minute of both units in time order: none lost while the
    // prompt was open.
    const std::vector<std::string> lines = Lines(ReadFile(log));
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[0], "Charge after three minutes");
    std::map<int, std::vector<std::string>> stamps;
    std::string previous;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::string stamp = lines[i].substr(0, 17);
        EXPECT_GE(stamp, previous) << "line " << i + 1 << " out of order";
        previous = stamp;
        stamps[std::stoi(lines[i].substr(18, 3))].push_back(stamp);
    }
    EXPECT_EQ(stamps[4].size(), 5u) << "minutes 0 to 4 of unit 4";
    EXPECT_EQ(stamps[3].size(), 3u) << "unit 3 ran for the first three minutes only";

    // logtreat on that log says what the window said, unit by unit.
    ChildProcess logtreat;
    const std::string csv = (tmp / "verdicts.csv");
    ASSERT_TRUE(
        logtreat.Start({LOGTREAT_PATH, "--min-core", "10C", "--minutes", "3", "--csv", csv, log}));
    EXPECT_EQ(logtreat.Wait(10s), 0) << logtreat.Output();
    const std::map<int, bool> kept = LogtreatVerdicts(ReadFile(csv));
    ASSERT_EQ(kept.size(), 2u) << ReadFile(csv);
    EXPECT_EQ(live3, kept.at(3));
    EXPECT_EQ(live4, kept.at(4));
    EXPECT_FALSE(kept.at(3)) << "its Standby broke the stretch";
    EXPECT_TRUE(kept.at(4));
}

// The controller sheet of the desktop program against kilnsim: a unit switched from Standby to
// Run through its sheet, as an operator does it.

#include "ChildProcess.h"
#include "DesktopE2eSupport.h"

#include "app/CTreeListDoc.h"
#include "app/qt/CMainFrame.h"
#include "app/qt/CTreeListApp.h"
#include "kiln/KilnDecoding.h"
#include "kiln/qt/CMyListView.h"
#include "kiln/qt/KilnListModel.h"
#include "sheets/CPalettePage.h"
#include "sheets/CPaletteSheet.h"
#include "sheets/CSpinButton.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <sys/stat.h>

using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

// Confirms a Log Descriptor prompt if one is open, never the controller sheet.
void ConfirmDescriptorPrompt() {
    AnswerDescriptorPrompt(QString(), VisiblePaletteSheet());
}

} // namespace

TEST(KilnwatchSheetWithKilnsim, RunAppliedFromTheSheetReachesTheUnitAndItsLine) {
    TempFolder tmp;
    ASSERT_TRUE(tmp.Valid());
    WriteStartupHive(tmp / "registry.reg", {3, 9});
    fs::create_directory(tmp.Path() / "work");
    UseFarmFolder(tmp);

    ChildProcess sim;
    ASSERT_TRUE(
        sim.Start({KILNSIM_PATH, "--units", "3,9", "--mode", "standby", "--link", tmp / "com1"}));
    ASSERT_TRUE(sim.ReadUntil("linked as", 5s)) << sim.Output();

    CTreeListApp app(Language::English);
    ASSERT_TRUE(app.InitInstance(OptionsInFolder(tmp)));
    CMainFrame& frame = *app.MainFrame();
    KilnListModel& model = frame.ListView().Model();
    ASSERT_EQ(model.rowCount(), 2);

    ASSERT_TRUE(RunEventsUntil(
        [&] {
            ConfirmDescriptorPrompt();
            return Cell(model, 0, 2) == "Standby";
        },
        30s))
        << "status: " << frame.StatusText().toStdString();

    // The operator's part while the sheet runs modally: Run, Apply, then wait for the unit.
    enum class Step { WaitForSheet, WaitForConfirmation, Done } step = Step::WaitForSheet;
    bool lockedAtFirst = false;
    QString modeShown;
    bool applyEnabledAfter = true;
    QTimer operatorHand;
    operatorHand.setInterval(50);
    QDeadlineTimer giveUp(90s);
    QObject::connect(&operatorHand, &QTimer::timeout, [&] {
        ConfirmDescriptorPrompt();
        CPaletteSheet* sheet = VisiblePaletteSheet();
        if (sheet == nullptr) {
            return;
        }
        CPalettePage& page = sheet->Page();
        if (giveUp.hasExpired()) {
            sheet->reject();
            return;
        }
        if (step == Step::WaitForSheet) {
            if (!page.Spin()->isEnabled()) {
                lockedAtFirst = true;
                return;
            }
            page.Spin()->stepBy(1);
            page.ApplyButton()->click();
            step = Step::WaitForConfirmation;
        } else if (step == Step::WaitForConfirmation && !page.ApplyButton()->isEnabled()) {
            modeShown = page.ModeBox()->text();
            applyEnabledAfter = page.ApplyButton()->isEnabled();
            step = Step::Done;
            sheet->accept();
        }
    });
    operatorHand.start();
    frame.ListView().OpenItem(0); // what a double click on the line does
    ASSERT_TRUE(RunEventsUntil([&] { return step == Step::Done || giveUp.hasExpired(); }, 95s));
    operatorHand.stop();

    EXPECT_EQ(step, Step::Done);
    EXPECT_TRUE(lockedAtFirst) << "the run's first sheet waits for its unit's first reply";
    EXPECT_EQ(modeShown, "RUN");
    EXPECT_FALSE(applyEnabledAfter);
    // The unit itself now reports Run, and its line follows.
    EXPECT_TRUE(RunEventsUntil([&] { return Cell(model, 0, 2) == "Run"; }, 15s));
    ASSERT_NE(frame.Document().Farm(0).Unit(2), nullptr);
    EXPECT_EQ(frame.Document().Farm(0).Unit(2)->m_iOperationalMode, US_RUN);
    EXPECT_EQ(frame.Document().Farm(0).m_iSelectedNode, 0) << "closing cleared the selection";

    frame.close();
    app.ExitInstance();
    sim.Signal(SIGINT);
    EXPECT_EQ(sim.Wait(5s), 0);
}

TEST(KilnwatchSheetWithKilnsim, SigtermWithTheSheetOpenFinishesThePcLogAndSavesTheHive) {
    TempFolder tmp;
    ASSERT_TRUE(tmp.Valid());
    WriteStartupHive(tmp / "registry.reg", {3});
    fs::create_directory(tmp.Path() / "work");
    UseFarmFolder(tmp);

    ChildProcess sim;
    ASSERT_TRUE(sim.Start({KILNSIM_PATH, "--units", "3", "--link", tmp / "com1"}));
    ASSERT_TRUE(sim.ReadUntil("linked as", 5s)) << sim.Output();

    CTreeListApp app(Language::English);
    ASSERT_TRUE(app.InitInstance(OptionsInFolder(tmp)));
    CMainFrame& frame = *app.MainFrame();
    CTreeListDoc& doc = frame.Document();
    // The connection's PC log is being written: its descriptor answered, its file open.
    fs::path logPath;
    ASSERT_TRUE(RunEventsUntil(
        [&] {
            AnswerDescriptorPrompt(QStringLiteral("ended under a sheet"));
            logPath = doc.PcLog(0).LogFileName();
            return !logPath.empty() && fs::exists(logPath);
        },
        75s))
        << "status: " << frame.StatusText().toStdString();
    const fs::path mirror = logPath.parent_path() / "CurrentLogSession.CSV";
    EXPECT_TRUE(fs::exists(mirror));
    // Only the end's save can bring the hive back.
    fs::remove(tmp.Path() / "registry.reg");

    bool signalled = false;
    QTimer hand;
    hand.setInterval(20);
    QObject::connect(&hand, &QTimer::timeout, [&] {
        if (!signalled && VisiblePaletteSheet() != nullptr) {
            signalled = true;
            ::raise(SIGTERM);
        }
    });
    hand.start();
    bool stuck = false;
    QTimer::singleShot(30s, &hand, [&] {
        stuck = true;
        QApplication::exit(1);
    });
    QTimer::singleShot(0, &frame, [&] { frame.ListView().OpenItem(0); });
    const int status = QApplication::exec();
    hand.stop();
    ASSERT_TRUE(signalled) << "the sheet never opened";
    EXPECT_FALSE(stuck);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(VisiblePaletteSheet(), nullptr);
    EXPECT_FALSE(frame.PortControl().IsOpen());
    app.ExitInstance();

    struct stat info {};
    ASSERT_EQ(::stat(logPath.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0222, 0u) << "a finished log is read-only";
    EXPECT_FALSE(fs::exists(mirror));
    EXPECT_EQ(Lines(ReadFile(logPath)).front(), "ended under a sheet");
    EXPECT_NE(ReadFile(tmp / "registry.reg").find("\"Alarm Annunciation\"=dword:00000000"),
              std::string::npos);

    sim.Signal(SIGINT);
    EXPECT_EQ(sim.Wait(5s), 0);
}

// What an operator can do wrong by accident, tried on the desktop program against kilnsim: a
// controller sheet of a farm that is not connected, and a line that goes away under an alarm.

#include "ChildProcess.h"
#include "DesktopE2eSupport.h"

#include "app/CTreeListDoc.h"
#include "app/qt/CMainFrame.h"
#include "app/qt/CTreeListApp.h"
#include "kiln/KilnDecoding.h"
#include "kiln/qt/CMyListView.h"
#include "kiln/qt/CTreeListView.h"
#include "kiln/qt/KilnListModel.h"
#include "sheets/CPalettePage.h"
#include "sheets/CPaletteSheet.h"
#include "sheets/CSpinButton.h"

#include <QApplication>
#include <QLabel>
#include <QListView>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <sstream>

using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

// Farms 1 and 2 each hold unit 5, on COM1 and COM2; farm 1 connects at start-up.
void WriteTwoFarmHive(const std::string& path, bool annunciation) {
    std::ostringstream hive;
    hive << "Windows Registry Editor Version 5.00\r\n\r\n"
         << "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vantrel\\WRB Explorer]\r\n"
         << "\"Alarm Annunciation\"=dword:0000000" << (annunciation ? 1 : 0) << "\r\n\r\n";
    for (int farm = 1; farm <= 2; ++farm) {
        hive << "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vantrel\\WRB Explorer\\Farm 0" << farm << "]\r\n"
             << "\"Node IDs\"=hex:20,00,10"; // unit 5
        for (int i = 1; i < 32; ++i) {
            hive << ",00";
        }
        hive << "\r\n\"Serial Port\"=dword:0000000" << farm << "\r\n"
             << "\"Bit Set 1\"=dword:0000000" << (farm == 1 ? 1 : 0) << "\r\n\r\n";
    }
    std::ofstream(path, std::ios::binary) << hive.str();
}

// Double-clicks the list's first line as the operator does.
void DoubleClickFirstLine(CMainFrame& frame) {
    QAbstractItemView& view = frame.ListView().DetailsView().isVisible()
                                  ? static_cast<QAbstractItemView&>(frame.ListView().DetailsView())
                                  : frame.ListView().IconView();
    const QPoint at = view.visualRect(view.model()->index(0, 0)).center();
    // As the window system delivers a double click: press, release, double click, release.
    for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease,
                                    QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease}) {
        const Qt::MouseButtons held =
            type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, at, view.viewport()->mapToGlobal(at), Qt::LeftButton, held,
                          Qt::NoModifier);
        QApplication::sendEvent(view.viewport(), &event);
    }
}

void ClickGroup(CMainFrame& frame, int farmIndex) {
    CTreeListView& tree = frame.TreeView();
    const QRect row = tree.visualItemRect(tree.GroupItem(farmIndex));
    QTest::mouseClick(tree.viewport(), Qt::LeftButton, Qt::NoModifier, row.center());
}

struct FarmSite {
    FarmSite(bool annunciation, std::vector<std::string> simOptions) {
        WriteTwoFarmHive(tmp / "registry.reg", annunciation);
        fs::create_directory(tmp.Path() / "work");
        UseFarmFolder(tmp);
        qputenv("KILNWATCH_COM2", QByteArray::fromStdString(tmp / "com2"));
        std::vector<std::string> args{KILNSIM_PATH, "--units", "5", "--link", tmp / "com1"};
        args.insert(args.end(), simOptions.begin(), simOptions.end());
        started = sim.Start(args) && sim.ReadUntil("linked as", 5s);
    }
    TempFolder tmp;
    ChildProcess sim;
    bool started = false;
};

} // namespace

TEST(OperatorSafety, SheetOfAFarmNotConnectedNeverSwitchesTheConnectedFarmsUnit) {
    FarmSite site(false, {"--mode", "standby"});
    ASSERT_TRUE(site.started) << site.sim.Output();
    CTreeListApp app(Language::English);
    ASSERT_TRUE(app.InitInstance(OptionsInFolder(site.tmp)));
    CMainFrame& frame = *app.MainFrame();
    KilnListModel& model = frame.ListView().Model();
    ASSERT_TRUE(RunEventsUntil(
        [&] {
            AnswerDescriptorPrompt(QString(), VisiblePaletteSheet());
            return Cell(model, 0, 2) == "Standby";
        },
        30s));

    // Group 1's unit 5 through its sheet, until it may switch; then Cancel.
    bool readyOnGroup1 = false;
    QString seen = QStringLiteral("no sheet");
    QTimer hand;
    hand.setInterval(50);
    QObject::connect(&hand, &QTimer::timeout, [&] {
        CPaletteSheet* sheet = VisiblePaletteSheet();
        if (sheet != nullptr) {
            seen = sheet->Page().ReasonLabel()->text();
        }
        if (sheet != nullptr && sheet->Page().Spin()->isEnabled()) {
            readyOnGroup1 = true;
            sheet->reject();
        }
    });
    hand.start();
    DoubleClickFirstLine(frame);
    ASSERT_TRUE(
        RunEventsUntil([&] { return readyOnGroup1 && VisiblePaletteSheet() == nullptr; }, 30s))
        << seen.toStdString();
    hand.stop();

    // Group 2, not connected: its unit 5's sheet stays locked and says why, whatever is tried.
    ClickGroup(frame, 1);
    ASSERT_TRUE(RunEventsUntil([&] { return frame.ListView().DisplayedFarm() == 1; }, 5s));
    QString reason;
    bool everEnabled = false;
    int tries = 0;
    QObject::disconnect(&hand, nullptr, nullptr, nullptr);
    QObject::connect(&hand, &QTimer::timeout, [&] {
        CPaletteSheet* sheet = VisiblePaletteSheet();
        if (sheet == nullptr) {
            return;
        }
        CPalettePage& page = sheet->Page();
        reason = page.ReasonLabel()->text();
        everEnabled = everEnabled || page.Spin()->isEnabled() || page.ApplyButton()->isEnabled();
        page.Spin()->stepBy(1);
        page.ApplyButton()->click();
        if (++tries == 60) {
            sheet->reject();
        }
    });
    hand.start();
    DoubleClickFirstLine(frame);
    ASSERT_TRUE(
        RunEventsUntil([&] { return tries >= 60 && VisiblePaletteSheet() == nullptr; }, 30s));
    hand.stop();
    EXPECT_FALSE(everEnabled);
    EXPECT_EQ(reason, "Farm not connected");

    // Farm 1's unit 5 is still in Standby, seen by its next replies.
    RunEventsUntil([] { return false; }, 3s);
    ASSERT_NE(frame.Document().Farm(0).Unit(4), nullptr);
    EXPECT_EQ(frame.Document().Farm(0).Unit(4)->m_iOperationalMode, US_STANDBY);

    frame.close();
    app.ExitInstance();
    site.sim.Signal(SIGINT);
    EXPECT_EQ(site.sim.Wait(5s), 0);
}

TEST(OperatorSafety, PulledLineUnderAnAlarmSilencesTheToneAndEndsTheConnection) {
    FarmSite site(true, {"--alarm", "5=high"});
    ASSERT_TRUE(site.started) << site.sim.Output();
    CTreeListApp app(Language::English);
    ASSERT_TRUE(app.InitInstance(OptionsInFolder(site.tmp)));
    CMainFrame& frame = *app.MainFrame();
    CTreeListDoc& doc = frame.Document();
    KilnListModel& model = frame.ListView().Model();
    ASSERT_TRUE(RunEventsUntil(
        [&] {
            AnswerDescriptorPrompt(QStringLiteral("pulled line"));
            return doc.ToneSounding() && doc.PcLog(0).IsMirrorOpen();
        },
        40s))
        << frame.StatusText().toStdString() << " tone " << doc.ToneSounding() << " alarm "
        << doc.AnyAlarm() << " log " << doc.PcLog(0).IsMirrorOpen();
    const std::string logPath = doc.PcLog(0).LogFileName();
    ASSERT_TRUE(frame.TreeView().HasConnectedOverlay(0));

    site.sim.Signal(SIGTERM); // the pseudo-terminal goes with it
    EXPECT_EQ(site.sim.Wait(5s), 0);
    ASSERT_TRUE(RunEventsUntil([&] { return !doc.Farm(0).m_bFarmIsConnected; }, 10s));
    EXPECT_FALSE(doc.ToneSounding());
    EXPECT_FALSE(doc.AnyAlarm());
    EXPECT_FALSE(frame.TreeView().HasConnectedOverlay(0));
    EXPECT_EQ(Cell(model, 0, 2), "~");
    EXPECT_FALSE(doc.PcLog(0).IsLogFileOpen());
    EXPECT_FALSE(doc.PcLog(0).IsMirrorOpen());
    EXPECT_FALSE(fs::exists(doc.PcLog(0).MirrorFileName())) << "the mirror is removed";
    EXPECT_TRUE(doc.Farm(0).m_queue.IsEmpty());
    ASSERT_TRUE(fs::exists(logPath));
    EXPECT_EQ(fs::status(logPath).permissions() & fs::perms::owner_write, fs::perms::none)
        << "the finished log is read-only";
    EXPECT_TRUE(RunEventsUntil([&] { return frame.StatusText() == "NOT CONNECTED"; }, 5s));

    frame.close();
    app.ExitInstance();
}

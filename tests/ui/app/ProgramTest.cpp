// The desktop program as main() runs it, in this process: its start (where the keyboard is)
// and its end with a sheet or dialog open, however the end is asked for.

#include "app/CTreeListDoc.h"
#include "app/qt/CMainFrame.h"
#include "app/qt/CTreeListApp.h"
#include "e2e/E2eSupport.h"
#include "kiln/qt/CMyListView.h"
#include "kiln/qt/CTreeListView.h"
#include "session/StopSignals.h"
#include "support/EngineFakes.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QListView>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <QWindow>

#include <gtest/gtest.h>

#include <csignal>
#include <functional>

namespace {

// A program started on a hive of its own whose farm 1 has the given units, its guard and
// PC_Logs in the same scratch folder.
struct Program {
    explicit Program(std::initializer_list<int> units) : savedHive(qgetenv("KILNWATCH_REGISTRY")) {
        std::filesystem::create_directory(folder.Path() / "work");
        WriteHive(hive(), units, 1);
        qputenv("KILNWATCH_REGISTRY", QByteArray::fromStdString(hive()));
    }
    ~Program() {
        app.ExitInstance();
        qputenv("KILNWATCH_REGISTRY", savedHive);
    }

    bool Start() {
        CTreeListApp::Options options;
        options.guardDirectory = QString::fromStdString(folder.Path().string());
        options.workingDirectory = folder / "work";
        options.seams.speaker = std::make_unique<RecordingSpeaker>();
        return app.InitInstance(std::move(options));
    }
    CMainFrame& Frame() { return *app.MainFrame(); }
    std::string hive() const { return folder / "registry.reg"; }

    TempFolder folder;
    QByteArray savedHive;
    CTreeListApp app{Language::English};
};

// Runs the program's event loop as main() does, calling whileRunning once a modal dialog is
// open; false when the loop had to be stopped from outside.
bool RunWithModal(const std::function<void(QDialog&)>& whileRunning) {
    bool acted = false;
    QTimer hand;
    hand.setInterval(10);
    QObject::connect(&hand, &QTimer::timeout, [&] {
        auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (modal != nullptr && !acted) {
            acted = true;
            whileRunning(*modal);
        }
    });
    hand.start();
    bool stuck = false;
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [&] {
        stuck = true;
        QApplication::exit(1);
    });
    watchdog.start(20000);
    const int status = QApplication::exec();
    EXPECT_TRUE(acted) << "no modal dialog came up";
    return !stuck && status == 0;
}

bool StopSignalsCaught() {
    struct sigaction current {};
    ::sigaction(SIGTERM, nullptr, &current);
    return current.sa_handler != SIG_DFL && current.sa_handler != SIG_IGN;
}

} // namespace

TEST(ProgramStart, TheArrowKeysMoveThroughTheUnitsAtOnce) {
    Program p({3, 7, 9});
    ASSERT_TRUE(p.Start());
    CMainFrame& frame = p.Frame();
    frame.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&frame));

    QTreeView& lines = frame.ListView().DetailsView();
    ASSERT_EQ(QApplication::focusWidget(), static_cast<QWidget*>(&lines))
        << "the view on screen has the keyboard";
    EXPECT_EQ(lines.currentIndex().row(), 0) << "the first unit is the current line";
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    EXPECT_EQ(lines.currentIndex().row(), 1);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    EXPECT_EQ(lines.currentIndex().row(), 2);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
    EXPECT_EQ(lines.currentIndex().row(), 1);

    // A style chosen from the menu takes the keyboard along.
    frame.Action(CMainFrame::ID_VIEW_LIST)->trigger();
    EXPECT_EQ(QApplication::focusWidget(), static_cast<QWidget*>(&frame.ListView().IconView()));
}

TEST(ProgramStart, AFarmWithoutUnitsLeavesTheKeyboardInTheFarmTree) {
    Program p({});
    ASSERT_TRUE(p.Start());
    CMainFrame& frame = p.Frame();
    frame.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&frame));
    ASSERT_EQ(QApplication::focusWidget(), static_cast<QWidget*>(&frame.TreeView()));
    // The keys pick the next farm at once.
    QTest::keyClick(&frame.TreeView(), Qt::Key_Down);
    EXPECT_EQ(frame.TreeView().CurrentFarm(), 1);
}

namespace {

enum class Modal { ControllerSheet, AddKiln, FarmProperties, About };
enum class Ending { FileExit, Sigterm, WindowClose, SessionEnd };

std::string Name(const testing::TestParamInfo<std::tuple<Modal, Ending>>& info) {
    const char* modal[] = {"ControllerSheet", "AddKiln", "FarmProperties", "About"};
    const char* ending[] = {"FileExit", "Sigterm", "WindowClose", "SessionEnd"};
    return std::string(modal[static_cast<int>(std::get<0>(info.param))]) + "_" +
           ending[static_cast<int>(std::get<1>(info.param))];
}

void Open(Modal modal, CMainFrame& frame) {
    switch (modal) {
    case Modal::ControllerSheet:
        frame.ListView().OpenItem(0);
        break;
    case Modal::AddKiln:
        frame.ListView().OnCommand(CMyListView::ID_NEW_KILN);
        break;
    case Modal::FarmProperties:
        frame.TreeView().OnMenu03_Properties();
        break;
    case Modal::About:
        frame.Action(CMainFrame::ID_APP_ABOUT)->trigger();
        break;
    }
}

class ProgramEndWithAModalOpen : public testing::TestWithParam<std::tuple<Modal, Ending>> {};

} // namespace

TEST_P(ProgramEndWithAModalOpen, EndsTheModalFirstThenEndsAsFileExitDoes) {
    const auto [modal, ending] = GetParam();
    Program p({3});
    ASSERT_TRUE(p.Start());
    if (ending == Ending::Sigterm) {
        ASSERT_TRUE(StopSignalsCaught()) << "a raised SIGTERM would end the test run";
    }
    CMainFrame& frame = p.Frame();
    CTreeListDoc& doc = frame.Document();
    // Unit 5 is added in this run: only the end's save puts it in the hive.
    ASSERT_TRUE(doc.AddKilnRecord(0, 4));
    QSettings().remove(QStringLiteral("Settings"));

    bool endedWhileTheWindowWasOpen = false;
    QTimer::singleShot(0, &frame, [&] { Open(modal, frame); });
    const bool ended = RunWithModal([&](QDialog& dialog) {
        QObject::connect(&dialog, &QDialog::finished,
                         [&] { endedWhileTheWindowWasOpen = frame.isVisible(); });
        switch (ending) {
        case Ending::FileExit:
            frame.Action(CMainFrame::ID_APP_EXIT)->trigger();
            break;
        case Ending::Sigterm:
            ::raise(SIGTERM);
            break;
        case Ending::WindowClose:
            frame.windowHandle()->close();
            break;
        case Ending::SessionEnd:
            // What the session manager's commitDataRequest reaches.
            p.app.EndProgram();
            break;
        }
    });
    ASSERT_TRUE(ended) << "the event loop never ended";
    EXPECT_TRUE(endedWhileTheWindowWasOpen) << "the modal went first";
    EXPECT_FALSE(frame.isVisible());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(doc.Farm(0).m_iSelectedNode, 0) << "no unit left selected by the sheet";
    EXPECT_TRUE(QSettings().contains(QStringLiteral("Settings/WindowPlacement")));

    p.app.ExitInstance();
    EXPECT_NE(ReadFile(p.hive()).find("\"Node IDs\"=hex:20,00,14,00"), std::string::npos)
        << ReadFile(p.hive());
}

INSTANTIATE_TEST_SUITE_P(EveryModalEveryEnding, ProgramEndWithAModalOpen,
                         testing::Combine(testing::Values(Modal::ControllerSheet, Modal::AddKiln,
                                                          Modal::FarmProperties, Modal::About),
                                          testing::Values(Ending::FileExit, Ending::Sigterm,
                                                          Ending::WindowClose, Ending::SessionEnd)),
                         Name);

TEST(ProgramEnd, AWindowEndedUnderAnOpenSheetTakesTheSheetDownBeforeTheDocument) {
    for (Modal modal : {Modal::ControllerSheet, Modal::FarmProperties, Modal::About}) {
        Program p({3});
        ASSERT_TRUE(p.Start());
        ASSERT_TRUE(p.Frame().Document().AddKilnRecord(0, 4));
        QTimer::singleShot(0, &p.Frame(), [&] { Open(modal, p.Frame()); });
        const bool ended = RunWithModal([&](QDialog&) {
            // The frame and everything it owns go while the sheet's exec() is below.
            p.app.ExitInstance();
            QApplication::exit(0);
        });
        EXPECT_TRUE(ended);
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
        EXPECT_NE(ReadFile(p.hive()).find("\"Node IDs\"=hex:20,00,14,00"), std::string::npos);
    }
}

TEST(ProgramEnd, ASecondStopSignalsObjectLeavesTheFirstOnesSignalsCaught) {
    StopSignals first;
    ASSERT_TRUE(first.IsValid());
    {
        StopSignals second;
        EXPECT_FALSE(second.IsValid());
    }
    ASSERT_TRUE(StopSignalsCaught()) << "a raised SIGTERM would end the test run";
    QSignalSpy stop(&first, &StopSignals::stopRequested);
    ::raise(SIGTERM);
    ASSERT_TRUE(stop.wait(5000));
    EXPECT_EQ(stop.first().first().toInt(), SIGTERM);
}

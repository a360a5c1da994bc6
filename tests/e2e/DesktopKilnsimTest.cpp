// The desktop program against kilnsim over a pseudo-terminal: once inside this process, read
// through its widgets, and once as a program of its own, ended as a session ends it.

#include "ChildProcess.h"
#include "DesktopE2eSupport.h"

#include "app/CTreeListDoc.h"
#include "app/qt/CMainFrame.h"
#include "app/qt/CTreeListApp.h"
#include "kiln/KilnLineText.h"
#include "kiln/qt/CMyListView.h"
#include "kiln/qt/KilnListModel.h"

#include <QSettings>

#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <sys/stat.h>

using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

bool IsNumber(const QString& text) {
    bool ok = false;
    text.toInt(&ok);
    return ok;
}

} // namespace

TEST(KilnwatchWithKilnsim, ShowsTheFarmConnectedAtStartupLogsItAndEndsInOrder) {
    TempFolder tmp;
    ASSERT_TRUE(tmp.Valid());
    WriteStartupHive(tmp / "registry.reg", {3, 5, 9, 12});
    fs::create_directory(tmp.Path() / "work");
    UseFarmFolder(tmp);

    ChildProcess sim;
    ASSERT_TRUE(sim.Start({KILNSIM_PATH, "--units", "3,5,9,12", "--silent", "5", "--centigrade",
                           "9", "--alarm", "12=high", "--link", tmp / "com1"}));
    ASSERT_TRUE(sim.ReadUntil("linked as", 5s)) << sim.Output();

    CTreeListApp app(Language::English);
    ASSERT_TRUE(app.InitInstance(OptionsInFolder(tmp)));
    CMainFrame& frame = *app.MainFrame();
    KilnListModel& model = frame.ListView().Model();

    // Items in node order: 3, 5, 9, 12.
    ASSERT_EQ(model.rowCount(), 4);
    EXPECT_EQ(Cell(model, 0, 0), " 003");
    EXPECT_EQ(Cell(model, 3, 0), " 012");

    // The start-up scan asks 3, then 5 seven times, then 9 and 12: all answering units have
    // their lines within about a dozen ticks (allow twice that on a busy machine).
    bool answered = false;
    const bool shown = RunEventsUntil(
        [&] {
            answered = answered || AnswerDescriptorPrompt(QStringLiteral("desktop end-to-end"));
            for (int row : {0, 2, 3}) {
                if (Cell(model, row, 2) != "Run" || !IsNumber(Cell(model, row, 4))) {
                    return false;
                }
            }
            return true;
        },
        30s);
    EXPECT_TRUE(shown) << "status: " << frame.StatusText().toStdString();
    EXPECT_EQ(Cell(model, 1, 2), "~") << "the silent unit shows no data";
    EXPECT_EQ(model.IconOf(4), KilnLineText::kIconNotAnswering) << "given up, not unasked";
    EXPECT_EQ(model.IconOf(2), KilnLineText::kIconNormal);
    EXPECT_EQ(model.IconOf(11), KilnLineText::kIconAlarm);
    EXPECT_EQ(Cell(model, 3, 3), "High");
    // Unit 9 works in Centigrade: its temperatures are well below the Fahrenheit units'.
    EXPECT_LT(Cell(model, 2, 4).toInt(), Cell(model, 0, 4).toInt());
    EXPECT_TRUE(frame.Document().Farm(0).m_bFarmIsConnected);

    // The log cycle asks for its descriptor, then writes the running units' lines.
    ASSERT_TRUE(RunEventsUntil(
        [&] {
            answered = answered || AnswerDescriptorPrompt(QStringLiteral("desktop end-to-end"));
            return answered;
        },
        70s));
    fs::path logPath;
    RunEventsUntil(
        [&] {
            logPath = frame.Document().PcLog(0).LogFileName();
            return !logPath.empty() && fs::exists(logPath) && Lines(ReadFile(logPath)).size() >= 3;
        },
        70s);

    // Closing the window closes the port and saves the placement; the program's end finishes
    // the log.
    frame.close();
    EXPECT_FALSE(frame.PortControl().IsOpen());
    QSettings settings;
    EXPECT_EQ(settings.value(QStringLiteral("Settings/WindowPlacement")).toString().count(','), 9);
    app.ExitInstance();

    ASSERT_FALSE(logPath.empty());
    const std::vector<std::string> log = Lines(ReadFile(logPath));
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log[0], "desktop end-to-end");
    struct stat info {};
    ASSERT_EQ(::stat(logPath.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0222, 0u) << "a finished log is read-only";
    EXPECT_FALSE(fs::exists(logPath.parent_path() / "CurrentLogSession.CSV"));

    sim.Signal(SIGINT);
    EXPECT_EQ(sim.Wait(5s), 0);
}

TEST(KilnwatchProgram, ASecondStartHandsOverAndSigtermEndsAsExitDoes) {
    TempFolder tmp;
    ASSERT_TRUE(tmp.Valid());
    WriteStartupHive(tmp / "registry.reg", {3, 9});
    fs::create_directories(tmp.Path() / "work");
    fs::create_directories(tmp.Path() / "run");
    fs::permissions(tmp.Path() / "run", fs::perms::owner_all, fs::perm_options::replace);

    ChildProcess sim;
    ASSERT_TRUE(sim.Start({KILNSIM_PATH, "--units", "3,9", "--link", tmp / "com1"}));
    ASSERT_TRUE(sim.ReadUntil("linked as", 5s)) << sim.Output();

    const std::map<std::string, std::string> environment = {
        {"QT_QPA_PLATFORM", "offscreen"}, {"KILNWATCH_REGISTRY", tmp / "registry.reg"},
        {"KILNWATCH_COM1", tmp / "com1"}, {"XDG_CONFIG_HOME", tmp / "config"},
        {"XDG_RUNTIME_DIR", tmp / "run"},
    };
    ChildProcess first;
    ASSERT_TRUE(first.Start({KILNWATCH_PATH}, environment, tmp / "work"));
    first.ReadFor(5s);
    ASSERT_TRUE(first.Running()) << first.Output();

    ChildProcess second;
    ASSERT_TRUE(second.Start({KILNWATCH_PATH}, environment, tmp / "work"));
    EXPECT_EQ(second.Wait(15s), 0) << second.Output();
    EXPECT_TRUE(first.Running());

    first.Signal(SIGTERM);
    EXPECT_EQ(first.Wait(20s), 0) << first.Output();
    const std::string settings = ReadFile(tmp.Path() / "config" / "kilnwatch" / "kilnwatch.conf");
    EXPECT_NE(settings.find("WindowPlacement="), std::string::npos) << settings;
    // The registry was saved at the end: the annunciation is switched off for the next start.
    EXPECT_NE(ReadFile(tmp / "registry.reg").find("\"Alarm Annunciation\"=dword:00000000"),
              std::string::npos);

    sim.Signal(SIGINT);
    EXPECT_EQ(sim.Wait(5s), 0);
}

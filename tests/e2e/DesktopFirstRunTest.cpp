// The desktop program on an operator's first run: no hive, no settings, no PC_Logs folder, and
// farms whose serial port is missing or is no terminal at all. It starts on its defaults, says
// when a port cannot be opened, never stops the operator with a message, and its end leaves a
// hive the next start reads.

#include "DesktopE2eSupport.h"

#include "alarm/AlarmToneRoute.h"
#include "app/CTreeListDoc.h"
#include "app/qt/CMainFrame.h"
#include "app/qt/CTreeListApp.h"
#include "kiln/qt/CAddKilnDialog.h"
#include "kiln/qt/CMyListView.h"
#include "kiln/qt/CTreeListView.h"
#include "kiln/qt/KilnListModel.h"

#include <QAction>
#include <QMenu>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>
#include <unistd.h>

using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

constexpr int kCommandConnect = 32809;

// Nothing from an earlier run: the hive goes to its default place in a config folder that does
// not exist yet, and COM1-COM4 name paths in the folder that do not exist either.
void UseEmptyFolder(const TempFolder& tmp) {
    qunsetenv("KILNWATCH_REGISTRY");
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(tmp / "config"));
    for (int port = 1; port <= 4; ++port) {
        qputenv(QByteArray("KILNWATCH_COM") + QByteArray::number(port),
                QByteArray::fromStdString(tmp / ("com" + std::to_string(port))));
    }
}

// Titles of the dialogs and message boxes on screen.
QStringList OpenDialogs() {
    QStringList titles;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (qobject_cast<QDialog*>(widget) != nullptr && widget->isVisible()) {
            titles << widget->windowTitle();
        }
    }
    return titles;
}

// The operator's Connect in the farm tree's menu, for the farm the tree is on; false when the
// menu offers it grayed.
bool ConnectThroughTheTree(CTreeListView& tree) {
    std::unique_ptr<QMenu> menu(tree.BuildFarmMenu(nullptr));
    if (!menu) {
        return false;
    }
    for (QAction* action : menu->actions()) {
        if (action->data().toInt() == kCommandConnect && action->isEnabled()) {
            action->trigger();
            return true;
        }
    }
    return false;
}

// Starts the program, waits for the start-up connection of farm 1 to fail and for the status
// pane to say so; the status text is left in shown.
void ExpectStartupConnectionFails(CTreeListApp& app, const TempFolder& tmp, QString& shown) {
    ASSERT_TRUE(app.InitInstance(OptionsInFolder(tmp)));
    CMainFrame& frame = *app.MainFrame();
    const CTreeListDoc& doc = frame.Document();
    RunEventsUntil([&] { return doc.FarmToConnectOnStartup() == 0; }, 10s);
    shown = frame.StatusText();
    EXPECT_FALSE(doc.Farm(0).m_bFarmIsConnected);
    EXPECT_FALSE(frame.PortControl().IsOpen());
    EXPECT_FALSE(frame.TreeView().HasConnectedOverlay(0));
    EXPECT_TRUE(OpenDialogs().isEmpty()) << OpenDialogs().join(", ").toStdString();
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

} // namespace

TEST(KilnwatchFirstRun, StartsOnDefaultsAndItsExitLeavesAHiveTheNextStartReads) {
    TempFolder tmp;
    ASSERT_TRUE(tmp.Valid());
    fs::create_directory(tmp.Path() / "work");
    UseEmptyFolder(tmp);
    const fs::path hive = tmp.Path() / "config" / "kilnwatch" / "registry.reg";

    {
        CTreeListApp app(Language::English);
        ASSERT_TRUE(app.InitInstance(OptionsInFolder(tmp)));
        CMainFrame& frame = *app.MainFrame();
        CTreeListDoc& doc = frame.Document();
        KilnListModel& model = frame.ListView().Model();

        QTreeWidgetItem* root = frame.TreeView().topLevelItem(0);
        ASSERT_NE(root, nullptr);
        EXPECT_EQ(root->text(0), "All Groups");
        ASSERT_EQ(root->childCount(), 4);
        for (int farm = 0; farm < 4; ++farm) {
            EXPECT_EQ(root->child(farm)->text(0), QStringLiteral("Group %1").arg(farm + 1));
            EXPECT_EQ(doc.Farm(farm).m_iSerialPort, 1);
            EXPECT_EQ(doc.Farm(farm).m_strPhoneNumber, "555 5555");
            EXPECT_EQ(doc.Farm(farm).m_nUnitCount, 0);
        }
        EXPECT_EQ(model.rowCount(), 0);
        EXPECT_EQ(doc.FarmToConnectOnStartup(), 0);
        EXPECT_TRUE(fs::is_directory(tmp.Path() / "work" / "PC_Logs"));

        // Ticks with nothing connected leave the pane as start-up left it: empty, or the
        // alarm tone's notice on a machine without a speaker; never a problem with the files.
        frame.OnTimer();
        frame.OnTimer();
        const QString status = frame.StatusText();
        EXPECT_TRUE(status.isEmpty() ||
                    status.toStdString() ==
                        AlarmToneNotice(AlarmToneRoute::None, Language::English))
            << status.toStdString();
        EXPECT_TRUE(OpenDialogs().isEmpty()) << OpenDialogs().join(", ").toStdString();

        // The operator adds unit 1 with New > Kiln; node lists are saved at the program's end.
        QTimer hand;
        hand.setInterval(20);
        bool added = false;
        QObject::connect(&hand, &QTimer::timeout, [&] {
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                auto* dialog = qobject_cast<CAddKilnDialog*>(widget);
                if (dialog != nullptr && dialog->isVisible()) {
                    dialog->AddButton()->click();
                    added = true;
                    dialog->CancelButton()->click();
                }
            }
        });
        hand.start();
        frame.ListView().OnCommand(CMyListView::ID_NEW_KILN);
        ASSERT_TRUE(RunEventsUntil([&] { return added && OpenDialogs().isEmpty(); }, 10s));
        hand.stop();
        ASSERT_EQ(model.rowCount(), 1);
        EXPECT_EQ(Cell(model, 0, 0), " 001");

        frame.Action(CMainFrame::ID_APP_EXIT)->trigger();
        EXPECT_FALSE(frame.isVisible());
        app.ExitInstance();
    }

    const std::string text = ReadFile(hive);
    for (const char* line :
         {"\"Alarm Tone Frequency\"=dword:000002bc", "\"Alarm Annunciation\"=dword:00000000",
          "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vantrel\\WRB Explorer\\Farm 04]",
          "\"Phone Number\"=\"555 5555\"", "\"Node IDs\"=hex:20,00,01,00"}) {
        EXPECT_NE(text.find(line), std::string::npos) << line << " missing from\n" << text;
    }

    CTreeListApp again(Language::English);
    ASSERT_TRUE(again.InitInstance(OptionsInFolder(tmp)));
    KilnListModel& model = again.MainFrame()->ListView().Model();
    ASSERT_EQ(model.rowCount(), 1);
    EXPECT_EQ(Cell(model, 0, 0), " 001");
    EXPECT_TRUE(OpenDialogs().isEmpty()) << OpenDialogs().join(", ").toStdString();
    again.MainFrame()->close();
    again.ExitInstance();
}

TEST(KilnwatchFirstRun, APortThatCannotBeOpenedIsReportedAndTheFarmStaysDisconnected) {
    TempFolder tmp;
    ASSERT_TRUE(tmp.Valid());
    WriteStartupHive(tmp / "registry.reg", {3});
    fs::create_directory(tmp.Path() / "work");
    UseFarmFolder(tmp); // COM1 names a path that does not exist

    CTreeListApp app(Language::English);
    QString shown;
    ExpectStartupConnectionFails(app, tmp, shown);
    EXPECT_EQ(shown, "UNABLE TO OPEN THE PORT");
    CMainFrame& frame = *app.MainFrame();
    const CTreeListDoc& doc = frame.Document();

    // Paths that exist but are no serial line, connected by the operator from the tree.
    const fs::path file = tmp.Path() / "plain-file";
    std::ofstream(file) << "not a port\n";
    const fs::path folder = tmp.Path() / "folder";
    fs::create_directory(folder);
    const fs::path locked = tmp.Path() / "locked";
    std::ofstream(locked) << "";
    fs::permissions(locked, fs::perms::none);
    std::vector<fs::path> ports = {file, folder};
    if (::geteuid() != 0) { // permissions bind everyone but root
        ports.push_back(locked);
    }
    for (const fs::path& port : ports) {
        SCOPED_TRACE(port.string());
        qputenv("KILNWATCH_COM1", QByteArray::fromStdString(port.string()));
        frame.SetStatusText({});
        ASSERT_TRUE(ConnectThroughTheTree(frame.TreeView()));
        EXPECT_EQ(frame.StatusText(), "UNABLE TO OPEN THE PORT");
        frame.OnTimer();
        EXPECT_EQ(frame.StatusText(), "UNABLE TO OPEN THE PORT") << "the next tick keeps it";
        EXPECT_FALSE(doc.Farm(0).m_bFarmIsConnected);
        EXPECT_FALSE(frame.PortControl().IsOpen());
        EXPECT_TRUE(OpenDialogs().isEmpty()) << OpenDialogs().join(", ").toStdString();
    }
    EXPECT_EQ(ReadFile(file), "not a port\n") << "a file taken for a port is left as it was";

    frame.Action(CMainFrame::ID_APP_EXIT)->trigger();
    EXPECT_FALSE(frame.isVisible());
    app.ExitInstance();
    EXPECT_NE(ReadFile(tmp / "registry.reg").find("\"Alarm Annunciation\"=dword:00000000"),
              std::string::npos);
}

TEST(KilnwatchFirstRun, TheSpanishProgramReportsAPortThatCannotBeOpenedInSpanish) {
    TempFolder tmp;
    ASSERT_TRUE(tmp.Valid());
    WriteStartupHive(tmp / "registry.reg", {3});
    fs::create_directory(tmp.Path() / "work");
    UseFarmFolder(tmp);

    CTreeListApp app(Language::Spanish);
    QString shown;
    ExpectStartupConnectionFails(app, tmp, shown);
    EXPECT_EQ(shown, "INCAPAZ de ABRIR EL PUERTO");
    EXPECT_EQ(app.MainFrame()->TreeView().GroupItem(0)->text(0), "El grupo 1");
    app.MainFrame()->close();
    app.ExitInstance();
}

#include "app/qt/CMainFrame.h"

#include "app/CTreeListDoc.h"
#include "app/qt/CAboutDlg.h"
#include "events/qt/AlarmsPane.h"
#include "kiln/qt/CMyListView.h"
#include "kiln/qt/CTreeListView.h"
#include "support/EngineFakes.h"

#include <QAccessible>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>
#include <QSplitter>
#include <QTimer>
#include <QTreeView>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

namespace {

// A clock whose waits are written where the test can still read them after the frame is gone.
class WaitLog : public Clock {
public:
    explicit WaitLog(std::vector<int>& waits) : m_waits(waits) {}
    LocalDateTime Now() const override { return {}; }
    void WaitMilliseconds(int milliseconds) override { m_waits.push_back(milliseconds); }

private:
    std::vector<int>& m_waits;
};

struct FrameFixture {
    explicit FrameFixture(Language language = Language::English) {
        CMainFrame::Seams seams;
        seams.clock = std::make_unique<WaitLog>(waits);
        seams.speaker = std::make_unique<RecordingSpeaker>();
        frame = std::make_unique<CMainFrame>(language, workDir.Path(), std::move(seams));
        frame->OnInitialUpdate();
    }
    ScratchDirectory workDir;
    std::vector<int> waits;
    std::unique_ptr<CMainFrame> frame;
};

QStringList MenuTitles(QMenuBar* bar) {
    QStringList titles;
    for (QAction* action : bar->actions()) {
        titles << action->text();
    }
    return titles;
}

QString Plain(QString text) {
    return text.remove(QLatin1Char('&'));
}

} // namespace

TEST(MainFrame, EnglishMenusKeepTheirTextsAndOptionsIsGreyed) {
    FrameFixture f;
    EXPECT_EQ(MenuTitles(f.frame->menuBar()), QStringList({"&File", "&View", "&Help"}));
    QAction* options = f.frame->Action(CMainFrame::ID_FILE_OPTIONS);
    ASSERT_NE(options, nullptr);
    EXPECT_EQ(options->text(), "&Options");
    EXPECT_FALSE(options->isEnabled());
    EXPECT_EQ(f.frame->Action(CMainFrame::ID_APP_EXIT)->text(), "E&xit");
    EXPECT_EQ(f.frame->Action(CMainFrame::ID_VIEW_LARGEICON)->text(), "Lar&ge Icons");
    EXPECT_EQ(f.frame->Action(CMainFrame::ID_VIEW_SMALLICON)->text(), "S&mall Icons");
    EXPECT_EQ(f.frame->Action(CMainFrame::ID_VIEW_LIST)->text(), "&List");
    EXPECT_EQ(f.frame->Action(CMainFrame::ID_VIEW_DETAILS)->text(), "&Details");
    EXPECT_EQ(f.frame->Action(CMainFrame::ID_APP_ABOUT)->text(), "&About");
    EXPECT_EQ(f.frame->windowTitle(), "WRB Explorer");
}

TEST(MainFrame, SpanishMenusShowOnlySpanishTextsWithAccessKeys) {
    FrameFixture f(Language::Spanish);
    QStringList titles;
    for (const QString& title : MenuTitles(f.frame->menuBar())) {
        EXPECT_TRUE(title.contains(QLatin1Char('&'))) << title.toStdString();
        titles << Plain(title);
    }
    EXPECT_EQ(titles, QStringList({"El archivo", "La vista", "La ayuda"}));
    EXPECT_EQ(Plain(f.frame->Action(CMainFrame::ID_FILE_OPTIONS)->text()), "Las opciones");
    EXPECT_FALSE(f.frame->Action(CMainFrame::ID_FILE_OPTIONS)->isEnabled());
    EXPECT_EQ(Plain(f.frame->Action(CMainFrame::ID_APP_EXIT)->text()), "La salida");
    EXPECT_EQ(Plain(f.frame->Action(CMainFrame::ID_VIEW_LARGEICON)->text()), "Iconos grandes");
    EXPECT_EQ(Plain(f.frame->Action(CMainFrame::ID_VIEW_SMALLICON)->text()), "Iconos pequeños");
    EXPECT_EQ(Plain(f.frame->Action(CMainFrame::ID_VIEW_LIST)->text()), "La lista");
    EXPECT_EQ(Plain(f.frame->Action(CMainFrame::ID_VIEW_DETAILS)->text()), "Los detalles");
    // The About item reads as the Help menu does.
    EXPECT_EQ(Plain(f.frame->Action(CMainFrame::ID_APP_ABOUT)->text()), "La ayuda");
    EXPECT_EQ(f.frame->windowTitle(), "El Explorador de WRB");
}

TEST(MainFrame, ViewCommandsSetTheListStyleAndShowWhichIsOn) {
    FrameFixture f;
    // The default setting (12) is the details style.
    EXPECT_EQ(f.frame->ListView().ListStyle(), 3);
    EXPECT_TRUE(f.frame->Action(CMainFrame::ID_VIEW_DETAILS)->isChecked());
    f.frame->Action(CMainFrame::ID_VIEW_SMALLICON)->trigger();
    EXPECT_EQ(f.frame->ListView().ListStyle(), 1);
    EXPECT_TRUE(f.frame->Action(CMainFrame::ID_VIEW_SMALLICON)->isChecked());
    EXPECT_FALSE(f.frame->Action(CMainFrame::ID_VIEW_DETAILS)->isChecked());
}

TEST(MainFrame, TreePaneStartsAt122PixelsWithTheListBesideIt) {
    FrameFixture f;
    f.frame->resize(800, 500);
    f.frame->show();
    const QList<int> sizes = f.frame->Splitter()->sizes();
    ASSERT_EQ(sizes.size(), 2);
    EXPECT_EQ(sizes[0], CMainFrame::kTreePaneWidth);
    EXPECT_GT(sizes[1], 500);
    EXPECT_EQ(f.frame->Splitter()->widget(0), &f.frame->TreeView());
    EXPECT_EQ(f.frame->Splitter()->widget(1), &f.frame->ListView());
}

TEST(MainFrame, StatusMessagesGoToTheFirstPaneAndIndicatorsNeverLie) {
    FrameFixture f;
    f.frame->Document().FarmConnect(0);
    EXPECT_FALSE(f.frame->StatusText().isEmpty());
    f.frame->SetStatusText("NOT CONNECTED");
    EXPECT_EQ(f.frame->StatusText(), "NOT CONNECTED");
    // The offscreen platform cannot tell the lock state: the panes stay empty.
    for (int pane = 1; pane <= 3; ++pane) {
        ASSERT_NE(f.frame->IndicatorPane(pane), nullptr);
        EXPECT_TRUE(f.frame->IndicatorPane(pane)->text().isEmpty());
        EXPECT_FALSE(f.frame->IndicatorPane(pane)->accessibleName().isEmpty());
    }
    EXPECT_EQ(f.frame->IndicatorPane(4), nullptr);
}

TEST(MainFrame, PlacementIsWrittenAtCloseAndReadBack) {
    QSettings settings;
    settings.remove(QStringLiteral("Settings"));
    {
        FrameFixture f;
        EXPECT_FALSE(f.frame->ApplyStoredPlacement(settings));
        f.frame->setGeometry(40, 50, 640, 420);
        f.frame->show();
        f.frame->close();
    }
    settings.sync();
    const QString stored = settings.value(QStringLiteral("Settings/WindowPlacement")).toString();
    EXPECT_EQ(stored, "0,1,-1,-1,-1,-1,40,50,680,470");

    FrameFixture again;
    ASSERT_TRUE(again.frame->ApplyStoredPlacement(settings));
    EXPECT_EQ(again.frame->geometry(), QRect(40, 50, 640, 420));

    // Nine fields, or a rectangle no screen shows, leave the default placement.
    settings.setValue(QStringLiteral("Settings/WindowPlacement"), "0,1,-1,-1,-1,-1,40,50,680");
    EXPECT_FALSE(again.frame->ApplyStoredPlacement(settings));
    settings.setValue(QStringLiteral("Settings/WindowPlacement"),
                      "0,1,-1,-1,-1,-1,90000,90000,90640,90420");
    EXPECT_FALSE(again.frame->ApplyStoredPlacement(settings));
    settings.remove(QStringLiteral("Settings"));
}

TEST(MainFrame, AlarmsPaneSitsBelowTheListShownUntilHiddenFromTheViewMenu) {
    QSettings settings;
    settings.remove(QStringLiteral("Settings"));
    {
        FrameFixture f;
        f.frame->ApplyStoredViewSettings(settings);
        f.frame->resize(800, 500);
        f.frame->show();
        AlarmsPane& pane = f.frame->Alarms();
        EXPECT_TRUE(pane.isVisible());
        EXPECT_GE(pane.mapTo(f.frame.get(), QPoint(0, 0)).y(),
                  f.frame->ListView().mapTo(f.frame.get(), QPoint(0, 0)).y() +
                      f.frame->ListView().height());
        QAction* item = f.frame->AlarmsAction();
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(item->text(), "&Alarms");
        EXPECT_TRUE(item->isCheckable());
        EXPECT_TRUE(item->isChecked());

        pane.List().setFocus();
        item->trigger();
        EXPECT_FALSE(pane.isVisible());
        EXPECT_FALSE(item->isChecked());
        EXPECT_FALSE(pane.isAncestorOf(QApplication::focusWidget()))
            << "the keyboard is not left in a hidden pane";
        f.frame->close();
    }
    settings.sync();
    {
        // Hidden at the end, hidden at the next start; a value that is not yes or no shows it.
        FrameFixture again;
        again.frame->ApplyStoredViewSettings(settings);
        EXPECT_TRUE(again.frame->Alarms().isHidden());
        EXPECT_FALSE(again.frame->AlarmsAction()->isChecked());
        settings.setValue(QStringLiteral("Settings/AlarmsPane"), "maybe");
        again.frame->ApplyStoredViewSettings(settings);
        EXPECT_FALSE(again.frame->Alarms().isHidden());
        EXPECT_TRUE(again.frame->AlarmsAction()->isChecked());
    }
    settings.remove(QStringLiteral("Settings"));
}

TEST(MainFrame, ViewMenuAccessKeysAreUniqueInBothLanguages) {
    for (Language language : {Language::English, Language::Spanish}) {
        FrameFixture f(language);
        QMenu* view = f.frame->AlarmsAction()->associatedObjects().isEmpty()
                          ? nullptr
                          : qobject_cast<QMenu*>(f.frame->AlarmsAction()->associatedObjects()[0]);
        ASSERT_NE(view, nullptr);
        QMap<QChar, QString> keys;
        for (QAction* action : view->actions()) {
            const QString text = action->text();
            const qsizetype at = text.indexOf(QLatin1Char('&'));
            if (action->isSeparator() || at < 0 || at + 1 >= text.size()) {
                continue;
            }
            const QChar key = text[at + 1].toLower();
            EXPECT_FALSE(keys.contains(key))
                << text.toStdString() << " and " << keys.value(key).toStdString();
            keys.insert(key, text);
        }
        EXPECT_TRUE(keys.contains(QLatin1Char('a')));
    }
}

TEST(MainFrame, AJournalThatCannotBeWrittenIsToldInTheStatusBarAndOnStandardErrorOnce) {
    ScratchDirectory workDir;
    // Where this month's journal would go is taken by a folder (the fixture's clock says
    // January 2000).
    std::filesystem::create_directories(std::filesystem::path(workDir.Path()) / "PC_Logs" /
                                        "Events_200001.CSV");
    std::vector<int> waits;
    CMainFrame::Seams seams;
    seams.clock = std::make_unique<WaitLog>(waits);
    seams.speaker = std::make_unique<RecordingSpeaker>();
    CMainFrame frame(Language::English, workDir.Path(), std::move(seams));
    testing::internal::CaptureStderr();
    frame.OnInitialUpdate();
    for (int tick = 0; tick < 3; ++tick) {
        frame.OnTimer();
    }
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(frame.StatusText().contains("Events_200001.CSV"))
        << frame.StatusText().toStdString();
    std::size_t told = 0;
    for (std::size_t at = said.find("events journal"); at != std::string::npos;
         at = said.find("events journal", at + 1)) {
        ++told;
    }
    EXPECT_EQ(told, 1u) << said;

    // The notices of the start keep it in the line.
    frame.ShowStartupNotices(QStringLiteral("no tone"));
    EXPECT_TRUE(frame.StatusText().contains("Events_200001.CSV"))
        << frame.StatusText().toStdString();
}

TEST(MainFrame, EndsTheDocumentWhileThePortAndClockAreStillThere) {
    std::vector<int> waits;
    {
        FrameFixture f;
        CTreeListDoc& doc = f.frame->Document();
        doc.Farm(0).m_byConnectionType = CT_REMOTE_MODEM;
        doc.Farm(0).m_bFarmIsConnected = 1;
        f.frame.reset();
        waits = f.waits;
    }
    // The modem hang-up ran at the document's end: "+++", the wait, "ATH0".
    EXPECT_EQ(waits, std::vector<int>({1000}));
}

TEST(MainFrame, TimerDrivesTheTickUntilStopped) {
    FrameFixture f;
    EXPECT_FALSE(f.frame->TimerRunning());
    f.frame->StartTimer();
    EXPECT_TRUE(f.frame->TimerRunning());
    f.frame->StopTimer();
    EXPECT_FALSE(f.frame->TimerRunning());
}

TEST(AboutBox, ShowsTitleAndVersionInEachLanguage) {
    CAboutDlg english(Language::English);
    EXPECT_EQ(english.windowTitle(), "About WRB Explorer");
    EXPECT_EQ(english.FirstLine(), "WRB Explorer");
    EXPECT_EQ(english.SecondLine(), "Version 1.50  (14SEP04)");
    CAboutDlg spanish(Language::Spanish);
    EXPECT_EQ(spanish.windowTitle(), "Acerca de Explorador de WRB");
    EXPECT_EQ(spanish.FirstLine(), "El Explorador de WRB");
    EXPECT_EQ(spanish.SecondLine(), "La versión 1.50  (14SEP04)");
}

TEST(MainFrame, TheNoToneNoticeOutlivesTheStatusLineInAMarkAndTheAboutBox) {
    FrameFixture f;
    f.frame->Document().OnNewDocument();
    EXPECT_EQ(f.frame->ToneIndicator(), nullptr) << "no mark while a tone can be heard";
    const QString notice = "This PC has no speaker or sound card to use";
    f.frame->ShowStartupNotices(notice);
    f.frame->show();
    // The first connection's message replaces the start-up line.
    f.frame->SetStatusText("CONNECTED to Group 1");

    QLabel* mark = f.frame->ToneIndicator();
    ASSERT_NE(mark, nullptr);
    EXPECT_TRUE(mark->isVisible());
    EXPECT_EQ(mark->toolTip(), notice);
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(mark);
    ASSERT_NE(accessible, nullptr);
    EXPECT_EQ(accessible->text(QAccessible::Name), "No alarm tone");
    EXPECT_EQ(accessible->text(QAccessible::Description), notice);

    QStringList aboutLines;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (auto* about = f.frame->findChild<CAboutDlg*>()) {
            for (const QLabel* label : about->findChildren<QLabel*>()) {
                aboutLines << label->text();
            }
            about->accept();
        }
    });
    poll.start(10);
    f.frame->Action(CMainFrame::ID_APP_ABOUT)->trigger();
    EXPECT_TRUE(aboutLines.contains(notice)) << aboutLines.join(" | ").toStdString();
}

TEST(MainFrame, StartupNoticesNameAnUnreadableHiveAndStayOutOfTheWayOtherwise) {
    const QByteArray hivePath = qgetenv("KILNWATCH_REGISTRY");
    {
        FrameFixture quiet;
        quiet.frame->Document().OnNewDocument();
        EXPECT_TRUE(quiet.frame->ShowStartupNotices().isEmpty());
        EXPECT_TRUE(quiet.frame->ShowStartupNotices("no sound").isEmpty());
        EXPECT_EQ(quiet.frame->StatusText(), "no sound");
    }
    QFile::remove(QString::fromLocal8Bit(hivePath));
    {
        QFile hive(QString::fromLocal8Bit(hivePath));
        ASSERT_TRUE(hive.open(QIODevice::WriteOnly));
        hive.write("this is no hive\r\n");
    }
    {
        FrameFixture f;
        f.frame->Document().OnNewDocument();
        const QStringList notices = f.frame->ShowStartupNotices();
        ASSERT_EQ(notices.size(), 1);
        EXPECT_TRUE(notices.front().contains("running on defaults"))
            << notices.front().toStdString();
        EXPECT_TRUE(f.frame->StatusText().contains("could not be read"));
    }
    // The user's file was left as it was.
    QFile hive(QString::fromLocal8Bit(hivePath));
    ASSERT_TRUE(hive.open(QIODevice::ReadOnly));
    EXPECT_EQ(hive.readAll(), QByteArray("this is no hive\r\n"));
    hive.close();
    QFile::remove(QString::fromLocal8Bit(hivePath));
}

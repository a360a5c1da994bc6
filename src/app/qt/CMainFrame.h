#pragma once

#include "app/FrameServices.h"
#include "app/Language.h"
#include "link/CMainFrameLink.h"
#include "link/qt/QtSerialPortControl.h"
#include "pclog/qt/LogDescriptorPrompt.h"
#include "session/FarmSession.h"

#include <QMainWindow>
#include <QPointer>

#include <array>
#include <map>
#include <memory>
#include <string>

class AlarmAttention;
class AlarmsPane;
class CAboutDlg;
class CMyListView;
class CTreeListDoc;
class CTreeListView;
class QLabel;
class QSettings;
class QSplitter;
class SheetCommands;

// The main window: status bar, the farm tree and the kiln list side by side with the Alarms pane
// below them, the menus, and the farm session (document, port control, clock, speaker, tick)
// whose serial-link half it is.
//
// The frame ends the session first thing in its destructor, once the dialogs open on the
// document are gone; the session ends its parts in order while the views and the status bar are
// still there.
class CMainFrame : public QMainWindow, public CMainFrameLink, public FrameServices {
    Q_OBJECT

public:
    // Command numbers of the main menu.
    enum Command {
        ID_FILE_OPTIONS = 32802,
        ID_APP_EXIT = 57665,
        ID_VIEW_LARGEICON = 32803,
        ID_VIEW_SMALLICON = 32804,
        ID_VIEW_LIST = 59410,
        ID_VIEW_DETAILS = 59411,
        ID_APP_ABOUT = 57664,
    };
    static constexpr int kTimerPeriodMs = FarmSession::kTickPeriodMs;
    static constexpr int kTreePaneWidth = 122;
    static constexpr int kAlarmsPaneHeight = 130;

    // What the document reaches the outside world through (see FarmSession::Seams). A
    // simulated line tells of a device that vanished by calling OnPortLost.
    struct Seams : FarmSession::Seams {
        // Shown in the About box: what the alarm tone sounds through.
        QString speakerName;
    };

    // workingDirectory: where PC_Logs goes; the current directory when empty.
    CMainFrame(Language language, const std::string& workingDirectory = {}, Seams seams = {},
               QWidget* parent = nullptr);
    ~CMainFrame() override;

    CTreeListDoc& Document() { return m_session.Document(); }
    CTreeListView& TreeView() { return *m_pTree; }
    CMyListView& ListView() { return *m_pList; }
    QtSerialPortControl& PortControl() { return m_session.PortControl(); }
    // The control the serial link talks to: the line of the seams, else PortControl().
    SerialPortControl& Line() { return m_session.Line(); }
    Language GetLanguage() const { return m_language; }

    // After the document has loaded its settings: the views' first update, title and menus.
    void OnInitialUpdate();
    void StartTimer() { m_session.StartTick(); }
    void StopTimer() { m_session.StopTick(); }
    bool TimerRunning() const { return m_session.TickRunning(); }

    // The menu action of a command number; nullptr for an unknown one.
    QAction* Action(int command) const;
    QString StatusText() const;
    // Pane 1-3 of the status bar: Caps, Num and Scroll Lock.
    QLabel* IndicatorPane(int pane) const;
    QSplitter* Splitter() const { return m_pSplitter; }
    AlarmsPane& Alarms() { return *m_pAlarms; }
    FarmSession& Session() { return m_session; }
    // View > Alarms, which shows or hides the pane.
    QAction* AlarmsAction() const { return m_pAlarmsAction; }
    void ShowAlarmsPane(bool shown);

    // Placement: the stored one applied before the window is shown (nothing unless it reads and
    // lies on a screen), and the text written at close.
    bool ApplyStoredPlacement(QSettings& settings);
    // The View settings kept beside the placement (whether the Alarms pane is shown), written
    // at close as well.
    void ApplyStoredViewSettings(QSettings& settings);
    QString PlacementText() const;
    // Shows the window as the stored placement says, or at its default size.
    void ShowAsPlaced();
    // What the operator must know from the start: settings that could not be read or will not
    // be saved, PC logging that is off. In the status bar, and in a message to dismiss that
    // does not hold up polling, with the alarm tone's notice (status bar only) when there is
    // one. The texts of the message; none when all is well.
    //
    // The status line moves on at the first connection; the tone's notice stays reachable as
    // a mark at the status bar's right end (its tooltip and accessible description give the
    // notice) and as a line of the About box.
    QStringList ShowStartupNotices(const QString& toneNotice = QString());
    // The status bar's mark that no alarm tone can be heard; nullptr until there is one.
    QLabel* ToneIndicator() const { return m_pToneIndicator; }

    // FrameServices
    void SetStatusText(const std::string& text) override;
    void AskLogDescriptor(CTreeListDoc& document, const std::string& previousText) override;
    void CloseLogDescriptor() override { m_descriptorPrompt.Close(); }

public slots:
    void OnTimer();
    // The device of the open port is gone (a USB adapter pulled): the port is closed and the
    // farm disconnected as the disconnect command does it.
    void OnPortLost();
    // A second start asked for this window.
    void RestoreAndRaise();
    void OnAppAbout();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The window's part of each tick.
    void AfterTick();
    // The Alarms pane and the kiln list's marks as the site's events have them now.
    void ShowAlarms();
    void AfterAcknowledge();
    void CreateStatusBar();
    void CreateClient();
    void CreateMenus();
    void OnViewStyle(int style);
    void SyncViewActions(int style);
    void UpdateIndicators();
    void ShowToneNotice(const QString& notice);
    // The close handler's work, once: port closed, placement saved.
    void OnClose();
    // Ends the sheet, dialog or About box that runs modally, as its Cancel would.
    void EndModalDialogs();
    // Publishing as the hive's Publishing key says; a setting that cannot be used is said in
    // a message box that does not wait, and nothing is published.
    void StartPublishing();
    void OnPublishingSettings();
    QString PublishingState() const;

    Language m_language;
    QString m_strSpeakerName;
    // The destructor ends it before any other member or child goes.
    FarmSession m_session;

    QLabel* m_pMessagePane = nullptr;
    std::array<QLabel*, 3> m_indicatorPanes{};
    QLabel* m_pToneIndicator = nullptr;
    QString m_strToneNotice;
    QSplitter* m_pSplitter = nullptr;
    QSplitter* m_pClientSplitter = nullptr; // the tree and list above, the alarms below
    AlarmsPane* m_pAlarms = nullptr;
    QAction* m_pAlarmsAction = nullptr;
    CTreeListView* m_pTree = nullptr;
    CMyListView* m_pList = nullptr;
    std::map<int, QAction*> m_actions;
    // Goes after the document: an open prompt is taken down without answering it.
    LogDescriptorPrompt m_descriptorPrompt{this};
    AlarmAttention* m_pAttention = nullptr;
    SheetCommands* m_pSheets = nullptr;
    QPointer<CAboutDlg> m_pAbout;
    QPointer<class PublishingDialog> m_pPublishingDialog;
    QString m_strPublishingNotice; // the latest thing publishing said
    QString m_strJournalNotice;    // the latest thing the events journal said
    unsigned m_uStartShowCommand = 1;
    bool m_bClosed = false;
};

#pragma once

#include "alarm/SpeakerBackend.h"
#include "app/Clock.h"
#include "app/FrameServices.h"
#include "app/Language.h"
#include "link/CMainFrameLink.h"
#include "link/qt/QtSerialPortControl.h"
#include "pclog/qt/LogDescriptorPrompt.h"
#include "publish/mqtt/SitePublishing.h"

#include <QMainWindow>
#include <QPointer>
#include <QTimer>

#include <array>
#include <map>
#include <memory>
#include <string>

class AlarmAttention;
class CAboutDlg;
class CMyListView;
class CTreeListDoc;
class CTreeListView;
class QLabel;
class QSettings;
class QSplitter;
class SheetCommands;

// The main window: status bar, the farm tree and the kiln list side by side, the one-second
// tick, the menus, and the serial line (the link half it inherits, the port control it owns).
//
// The frame owns the document, and ends it first thing in its destructor: the document's end
// may still hang up a modem through the port, close logs and save settings, so everything it
// uses - port control, clock, speaker, views, status bar - is still there when it goes. The
// tick's timer goes last.
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
    static constexpr int kTimerPeriodMs = 1000;
    static constexpr int kTreePaneWidth = 122;

    // What the document reaches the outside world through. Missing ones get the real thing:
    // the system clock, the platform's speaker.
    struct Seams {
        std::unique_ptr<Clock> clock;
        std::unique_ptr<SpeakerBackend> speaker;
        // Shown in the About box: what the alarm tone sounds through.
        QString speakerName;
        // The serial line, when it is not the port control on QSerialPort (a simulated one).
        // It tells of a device that vanished by calling OnPortLost, as portLost does.
        std::unique_ptr<SerialPortControl> line;
    };

    // workingDirectory: where PC_Logs goes; the current directory when empty.
    CMainFrame(Language language, const std::string& workingDirectory = {}, Seams seams = {},
               QWidget* parent = nullptr);
    ~CMainFrame() override;

    CTreeListDoc& Document() { return *m_pDocument; }
    CTreeListView& TreeView() { return *m_pTree; }
    CMyListView& ListView() { return *m_pList; }
    QtSerialPortControl& PortControl() { return m_control; }
    // The control the serial link talks to: the line of the seams, else PortControl().
    SerialPortControl& Line() { return m_pLine ? *m_pLine : m_control; }
    Language GetLanguage() const { return m_language; }

    // After the document has loaded its settings: the views' first update, title and menus.
    void OnInitialUpdate();
    void StartTimer();
    void StopTimer() { m_timer.stop(); }
    bool TimerRunning() const { return m_timer.isActive(); }

    // The menu action of a command number; nullptr for an unknown one.
    QAction* Action(int command) const;
    QString StatusText() const;
    // Pane 1-3 of the status bar: Caps, Num and Scroll Lock.
    QLabel* IndicatorPane(int pane) const;
    QSplitter* Splitter() const { return m_pSplitter; }

    // Placement: the stored one applied before the window is shown (nothing unless it reads and
    // lies on a screen), and the text written at close.
    bool ApplyStoredPlacement(QSettings& settings);
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
    // a message box, and nothing is published.
    void StartPublishing();
    // The last states and the goodbye go out; the document gets its own views back.
    void StopPublishing();
    void OnPublishingSettings();
    QString PublishingState() const;

    Language m_language;
    // Declaration order is construction order; the destructor ends the document before any
    // member or child goes.
    std::unique_ptr<Clock> m_pClock;
    std::unique_ptr<SpeakerBackend> m_pSpeaker;
    QString m_strSpeakerName;
    QtSerialPortControl m_control;
    std::unique_ptr<SerialPortControl> m_pLine;
    std::unique_ptr<CTreeListDoc> m_pDocument;
    QTimer m_timer;
    // Stands between the document and its views while publishing; stopped before either goes.
    std::unique_ptr<SitePublishing> m_pPublishing;
    QString m_strPublishingNotice;
    QPointer<class PublishingDialog> m_pPublishingDialog;

    QLabel* m_pMessagePane = nullptr;
    std::array<QLabel*, 3> m_indicatorPanes{};
    QLabel* m_pToneIndicator = nullptr;
    QString m_strToneNotice;
    QSplitter* m_pSplitter = nullptr;
    CTreeListView* m_pTree = nullptr;
    CMyListView* m_pList = nullptr;
    std::map<int, QAction*> m_actions;
    // Goes after the document: an open prompt is taken down without answering it.
    LogDescriptorPrompt m_descriptorPrompt{this};
    AlarmAttention* m_pAttention = nullptr;
    SheetCommands* m_pSheets = nullptr;
    QPointer<CAboutDlg> m_pAbout;
    unsigned m_uStartShowCommand = 1;
    bool m_bClosed = false;
};

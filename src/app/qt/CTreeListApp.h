#pragma once

#include "app/Language.h"
#include "app/qt/CMainFrame.h"

#include <QObject>
#include <QString>

#include <memory>

class SingleInstanceGuard;
class StopSignals;

// The application: one running program per user, the main window with the document inside it,
// the tick, and the end in order.
class CTreeListApp : public QObject {
    Q_OBJECT

public:
    struct Options {
        // Where the single-instance guard keeps its files; the user's runtime folder when empty.
        QString guardDirectory;
        // Where PC_Logs goes; the current directory when empty.
        std::string workingDirectory;
        CMainFrame::Seams seams;
    };

    explicit CTreeListApp(Language language, QObject* parent = nullptr);
    ~CTreeListApp() override;

    // Start-up. False when another instance runs (it has been asked to show itself): the
    // program then ends quietly.
    bool InitInstance(Options options);
    bool InitInstance() { return InitInstance(Options{}); }
    // The end after the window has closed: the frame ends its session (the tick, then the
    // document), then its widgets go.
    int ExitInstance();

    // What the end of the session and a stop signal (SIGTERM, SIGINT, SIGHUP) ask for: the
    // window closes as File > Exit closes it, ending a sheet open under it first, and the event
    // loop ends with the last window; ExitInstance ends the rest.
    void EndProgram();

    CMainFrame* MainFrame() const { return m_pFrame.get(); }
    // The name the single-instance guard and the window class go by.
    QString WindowClassName() const;

private:
    Language m_language;
    std::unique_ptr<SingleInstanceGuard> m_pGuard;
    std::unique_ptr<CMainFrame> m_pFrame;
    std::unique_ptr<StopSignals> m_pStopSignals;
};

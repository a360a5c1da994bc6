#pragma once

#include "app/kilnmon/ConsoleFarmTree.h"
#include "app/kilnmon/ConsoleFrame.h"
#include "app/kilnmon/KilnmonOptions.h"
#include "app/kilnmon/PrintingKilnList.h"
#include "events/Event.h"
#include "session/FarmSession.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

class CTreeListDoc;
class PlatformSpeakerBackend;

// One run of the headless monitor: the farm session with the real serial line, printing views
// for it, and the end of the run.
class Monitor : public QObject {
    Q_OBJECT

public:
    // A modem farm gets this long to run its disconnect stages at the end.
    static constexpr int kDisconnectLimitMs = 10000;

    // Status lines and kiln list lines go to out, notices to err.
    Monitor(const KilnmonOptions& options, std::FILE* out, std::FILE* err = stderr,
            QObject* parent = nullptr);
    ~Monitor() override;

    // Loads the hive, shows the farm and connects it; the tick runs from then on.
    void Start();
    // The first request disconnects in order; a second one, or the time limit, ends at once.
    void RequestStop();

    // 1 once the run ended because the port was lost or never opened (without --reconnect),
    // or the farm has no usable port; 2 when the publishing settings cannot be used; else 0.
    int ExitStatus() const { return m_iExitStatus; }

signals:
    void finished();

private slots:
    void AfterTick();

private:
    void Finish();
    void ApplyScanPaceOptions();
    bool DisconnectDone() const;
    void PrintHealth();
    void PrintEvents(const std::vector<Event>& events);
    void Notice(const std::string& text) const;
    void ReportSettingsAndLogging() const;
    // The farm's port could not be opened, or went away: reconnect later, or end with 1.
    void PortUnavailable(const std::string& why);
    void Reconnect();
    bool ConnectFarm(); // false when the port did not open
    // Starts publishing when the hive or the command line names a broker; false (and the run
    // ends with status 2) when its settings cannot be used.
    bool StartPublishing();

    KilnmonOptions m_options;
    std::FILE* m_pOut;
    std::FILE* m_pErr;
    int m_iFarmIndex;
    int m_iExitStatus = 0;
    // The views outlive the session's document, which may still use them while it goes.
    ConsoleFrame m_frame;
    PrintingKilnList m_list;
    PlatformSpeakerBackend* m_pSpeaker = nullptr; // the session's
    FarmSession m_session;
    std::unique_ptr<ConsoleFarmTree> m_pTree;
    QTimer m_reconnectTimer;
    QElapsedTimer m_stopClock;
    bool m_bStopping = false;
    int m_iHealthTicks = 0;
    bool m_bFinished = false;
};

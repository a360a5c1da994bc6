#pragma once

#include "app/kilnmon/ConsoleFarmTree.h"
#include "app/kilnmon/ConsoleFrame.h"
#include "app/kilnmon/KilnmonOptions.h"
#include "app/kilnmon/PrintingKilnList.h"
#include "app/SystemClock.h"
#include "link/CMainFrameLink.h"
#include "link/qt/QtSerialPortControl.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <cstdio>
#include <memory>

class CTreeListDoc;

// One run of the headless monitor: the document with the real serial line, printing views and
// the one-second tick, put together and taken apart in the desktop program's order.
class Monitor : public QObject {
    Q_OBJECT

public:
    // A modem farm gets this long to run its disconnect stages at the end.
    static constexpr int kDisconnectLimitMs = 10000;

    Monitor(const KilnmonOptions& options, std::FILE* out, QObject* parent = nullptr);
    ~Monitor() override;

    // Loads the hive, shows the farm and connects it; the tick runs from then on.
    void Start();
    // The first request disconnects in order; a second one, or the time limit, ends at once.
    void RequestStop();

signals:
    void finished();

private slots:
    void Tick();

private:
    void Finish();
    bool DisconnectDone() const;

    KilnmonOptions m_options;
    std::FILE* m_pOut;
    int m_iFarmIndex;
    // The views and the line outlive the document, which may still write while it goes.
    SystemClock m_clock;
    ConsoleFrame m_frame;
    PrintingKilnList m_list;
    QtSerialPortControl m_control;
    CMainFrameLink m_link;
    std::unique_ptr<CTreeListDoc> m_pDocument;
    std::unique_ptr<ConsoleFarmTree> m_pTree;
    QTimer m_timer;
    QElapsedTimer m_stopClock;
    bool m_bStopping = false;
    bool m_bFinished = false;
};

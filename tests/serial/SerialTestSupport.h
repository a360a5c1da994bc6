#pragma once

// The program's side and the far end of a serial line on a pseudo-terminal, both served by the
// Qt event loop of the test.

#include "link/CMainFrameLink.h"
#include "link/qt/QtSerialPortControl.h"
#include "sim/Farm.h"
#include "sim/kilnsim/FarmLinePump.h"
#include "sim/kilnsim/PseudoTerminal.h"
#include "support/EngineFakes.h"

#include <QElapsedTimer>
#include <QObject>
#include <QSocketNotifier>
#include <QTimer>
#include <QtTest/QTest>

#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

// Counts the control's events on their way to the main frame.
class CountingListener : public SerialPortListener {
public:
    explicit CountingListener(SerialPortListener& next) : m_next(next) {}
    void OnPortControl_CdChange(int state) override {
        ++carrierEvents;
        m_next.OnPortControl_CdChange(state);
    }
    void OnPortControl_IncomingData() override {
        ++dataEvents;
        m_next.OnPortControl_IncomingData();
    }
    int carrierEvents = 0;
    int dataEvents = 0;

private:
    SerialPortListener& m_next;
};

// The program's side: the document, the main frame's serial-link half and the real control,
// wired as the program wires them. Members are declared so that the document goes first and
// the control last.
struct ProgramSide {
    RecordingFrame frame;
    RecordingListView list;
    RecordingTreeView tree;
    ManualClock clock;
    QtSerialPortControl control;
    CMainFrameLink link;
    CTreeListDoc doc;
    CountingListener events{link};
    int portLostSignals = 0;

    ProgramSide() {
        link.AttachControl(&control);
        link.AttachDocument(&doc);
        control.SetListener(&events);
        doc.SetPortWriter(&link);
        doc.SetFrameServices(&frame);
        doc.SetKilnListView(&list);
        doc.SetFarmTreeView(&tree);
        doc.SetClock(&clock);
        QObject::connect(&control, &QtSerialPortControl::portLost, [this] {
            ++portLostSignals;
            link.mf_pORT_cLOSE();
        });
    }

    // Status replies the list was told about that carried data.
    int RepliesTaken() const {
        int n = 0;
        for (const auto& d : list.data) {
            n += d.newRecord.m_iCuringMethod != 0 ? 1 : 0;
        }
        return n;
    }
};

// Reads and drops what the program wrote, until count bytes have gone or the time is up.
inline bool SwallowFromMaster(int masterFd, std::size_t count, int timeoutMs = 2000) {
    std::size_t seen = 0;
    return QTest::qWaitFor(
        [&] {
            std::uint8_t buffer[512];
            for (;;) {
                const ssize_t n = ::read(masterFd, buffer, sizeof buffer);
                if (n <= 0) {
                    break;
                }
                seen += static_cast<std::size_t>(n);
            }
            return seen >= count;
        },
        timeoutMs);
}

// Everything the program wrote, within the time given.
inline std::string ReadFromMaster(int masterFd, std::size_t count, int timeoutMs = 1000) {
    std::string text;
    (void)QTest::qWaitFor(
        [&] {
            char buffer[512];
            for (;;) {
                const ssize_t n = ::read(masterFd, buffer, sizeof buffer);
                if (n <= 0) {
                    break;
                }
                text.append(buffer, static_cast<std::size_t>(n));
            }
            return text.size() >= count;
        },
        timeoutMs);
    return text;
}

// A simulated farm on the master end, paced in real time from the event loop.
class SimulatedFarEnd : public QObject {
public:
    // fifoTrigger: bytes the far end's UART gathers before handing them over (1: each alone).
    SimulatedFarEnd(int masterFd, farmsim::FarmConfig config, int fifoTrigger = 1)
        : m_farm(std::move(config)), m_pump(m_farm, masterFd, fifoTrigger),
          m_notifier(masterFd, QSocketNotifier::Read) {
        m_clock.start();
        m_timer.setSingleShot(true);
        connect(&m_notifier, &QSocketNotifier::activated, this, [this] { Service(); });
        connect(&m_timer, &QTimer::timeout, this, [this] { Service(); });
        Service();
    }

    const farmsim::Farm& Farm() const { return m_farm; }
    bool Failed() const { return m_bFailed; }

private:
    void Service() {
        const std::int64_t now = m_clock.elapsed();
        if (!m_pump.Service(now)) {
            m_bFailed = true;
            m_notifier.setEnabled(false);
            return;
        }
        m_timer.start(static_cast<int>(m_pump.NextWakeMs(now) - now));
    }

    farmsim::Farm m_farm;
    FarmLinePump m_pump;
    QSocketNotifier m_notifier;
    QTimer m_timer;
    QElapsedTimer m_clock;
    bool m_bFailed = false;
};

inline farmsim::FarmConfig FarmOf(std::vector<int> nodeIds) {
    farmsim::FarmConfig config;
    for (int node : nodeIds) {
        farmsim::UnitConfig unit;
        unit.nodeId = node;
        unit.idCode = static_cast<std::uint8_t>(node);
        unit.mode = farmsim::Mode::Run;
        config.units.push_back(unit);
    }
    return config;
}

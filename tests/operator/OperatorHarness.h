#pragma once

#include "OperatorFarms.h"
#include "OperatorSetup.h"

#include "config/ComPortProbe.h"
#include "config/HiveFileBackend.h"
#include "support/EngineFakes.h"

#include <QModelIndex>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class CAddKilnDialog;
class CLogDescriptorDialog;
class CMainFrame;
class CPaletteSheet;
class QMenu;
class QPoint;
class QWidget;

// The desktop program's main window, built as the program builds it, on the simulated farms,
// with settings and PC logs in a scratch folder of its own. Time is virtual: the frame's timer
// never runs, and Advance moves the line on and calls the tick at each whole second. The
// hands do what a person does at the desk: clicks and double clicks on the views, the views'
// menus, the keys and buttons of a sheet, File > Exit; each returns false when there was
// nothing to do (no such line, a greyed command).
class OperatorHarness {
public:
    explicit OperatorHarness(const OperatorSetup& setup);
    ~OperatorHarness();
    OperatorHarness(const OperatorHarness&) = delete;
    OperatorHarness& operator=(const OperatorHarness&) = delete;

    // nullptr once the program has ended.
    CMainFrame* Frame() const { return m_pFrame.get(); }
    OperatorFarms& Farms() { return m_farms; }
    const OperatorFarms& Farms() const { return m_farms; }
    const OperatorSetup& Setup() const { return m_setup; }
    const std::string& WorkingDirectory() const { return m_workDir.Path(); }
    std::string PcLogsDirectory() const;
    // The speaker's gate as the program last set it.
    bool ToneOn() const { return m_bGateOpen; }

    // Moves time on by ms: the line runs, and the tick comes at each whole second, with the
    // hooks around it.
    void Advance(int ms);
    std::function<void()> beforeTick;
    std::function<void()> afterTick;
    int Ticks() const { return m_ticks; }

    // What the screen shows.
    int ShownFarm() const;
    std::vector<int> ShownUnits() const; // node IDs of the lines, top to bottom
    CPaletteSheet* OpenSheet() const;
    CAddKilnDialog* OpenAddKiln() const;
    CLogDescriptorDialog* OpenPrompt() const;

    // The hands. whileOpen runs inside the modal sheet or dialog the action opens, as the
    // operator's hand while it is on the screen; what is still open when it returns is
    // cancelled.
    bool ClickGroup(int farmIndex);
    bool FarmCommand(int farmIndex, int command);
    bool ClickUnit(int nodeId);
    bool DoubleClickUnit(int nodeId, const std::function<void()>& whileOpen);
    bool UnitCommand(int nodeId, int command, const std::function<void()>& whileOpen);
    bool NewKiln(const std::function<void()>& whileOpen);
    // The Alarms pane: line (from 1) clicked and Acknowledge pressed, or Acknowledge All for 0.
    bool AcknowledgeOnPane(int line);
    void PullPort(int farmIndex);
    void RestorePort(int farmIndex) { m_farms.Restore(farmIndex); }
    // File > Exit; the program then ends as the application ends it.
    void Exit();

private:
    // The unit's line in the report view, scrolled into sight; invalid when it is not shown.
    QModelIndex ShownUnit(int nodeId);
    class LineClock;
    class SpeakerTap;
    class AllPorts : public ComPortProbe {
    public:
        bool IsPortAvailable(int) override { return true; }
    };

    void WriteHive(const std::string& path) const;
    bool RightClickOn(QWidget* viewport, const QPoint& at, const std::function<void(QMenu*)>& hand);
    // Posts the hand that runs inside the sheet or dialog about to open.
    void WhenModalOpens(const std::function<void()>& whileOpen);
    void PostModalHand(const std::function<void()>& whileOpen, std::uint64_t serial, int tries);
    static constexpr int kModalTries = 20;
    void EndLostPort();

    OperatorSetup m_setup;
    ScratchDirectory m_workDir;
    OperatorFarms m_farms;
    std::unique_ptr<HiveFileBackend> m_hive;
    AllPorts m_ports;
    bool m_bGateOpen = false;
    std::int64_t m_nowMs = 0;
    int m_ticks = 0;
    // The modal hand being waited for; 0 when none is.
    std::uint64_t m_modalSerial = 0;
    std::uint64_t m_modalSerials = 0;
    std::unique_ptr<CMainFrame> m_pFrame;
};

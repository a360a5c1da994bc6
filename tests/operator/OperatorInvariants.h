#pragma once

#include "OperatorHarness.h"

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

// What the operator did that the checks need: every Apply pressed on a controller sheet, with
// the farm and unit the sheet was opened for, the mode the sheet showed, and where the line's
// record of blocks read stood when the sheet opened; and every Log Descriptor confirmed.
struct OperatorRecord {
    struct Applied {
        int farm = 0;
        int node = 0;
        std::uint8_t modeByte = 0;
        std::size_t readsAtOpen = 0;
        bool used = false;
    };
    std::vector<Applied> applied;
    std::vector<std::string> descriptors;
};

// The checks after every step and tick of an operator run, on what the line and the program
// did:
// a. every commit on the line names a unit of the farm connected then, whose sheet the
//    operator applied on that farm, with the mode chosen, and carries that unit's own status
//    reply received on that connection since the sheet opened; there is no other commit;
// b. the tone sounds exactly while the connected farm has an alarmed unit and annunciation is
//    on: after each tick it follows the alarms held when the tick began, every alarm held is
//    one a unit of the connected farm reported on this connection, and nothing sounds without;
// c. a PC log is open (the mirror there, the log writable) only while a farm is connected, and
//    only that farm's; every data line is a reading a unit of that farm sent while running;
// e. the tree's connected mark and the kiln list's readings belong to the connected farm only.
// The first failure is kept, with its letter.
class OperatorInvariants {
public:
    OperatorInvariants(OperatorHarness& harness, OperatorRecord& record);

    void BeforeTick();
    void AfterTick();
    void AfterStep();
    // Once the program has ended.
    void AfterExit();

    bool Failed() const { return !m_failure.empty(); }
    const std::string& Failure() const { return m_failure; }
    char FailedInvariant() const { return m_invariant; }

    std::size_t CommitsChecked() const { return m_commits; }
    std::size_t LogLinesChecked() const { return m_logLines; }

private:
    void Fail(char invariant, const std::string& what);
    void FollowReads();
    void CheckCommits();
    void CheckCommit(const OperatorFarms::Traffic& write);
    void CheckTone();
    bool UnacknowledgedShown() const;
    void CheckAlarmList();
    void CheckPcLogs();
    void CheckLogLines(const std::string& path, int farmIndex);
    bool IsReadingSent(int farmIndex, const std::string& line) const;
    void CheckViews();

    OperatorHarness& m_h;
    OperatorRecord& m_record;
    std::size_t m_writesSeen = 0;
    std::size_t m_readsSeen = 0;
    // Per node ID: the alarm of the last reply accepted on the connection followed (-1: none).
    std::uint32_t m_alarmConnection = 0;
    std::array<int, 256> m_lastAlarm{};
    bool m_tickAnnunciates = false;
    bool m_alarmBeforeTick = false;
    bool m_unacknowledgedBeforeTick = false;
    // Per log file: the bytes whose lines have been checked.
    std::map<std::string, std::size_t> m_logChecked;
    std::size_t m_commits = 0;
    std::size_t m_logLines = 0;
    std::string m_failure;
    char m_invariant = 0;
};

#pragma once

#include <string>
#include <string_view>
#include <vector>

// One thing the simulated operator does at the desk. Farms are numbered 1 to 4 and units named
// by their Kiln ID, as the operator reads them on the screen; a step that does not fit what the
// screen shows when it comes (a unit without a line, a command that is greyed) does nothing, so
// a sequence replays, and still means something, with any of its steps left out.
struct OperatorStep {
    enum class Kind {
        SelectFarm,   // left click on the group
        Connect,      // the group's menu: Connect
        Disconnect,   // the group's menu: Disconnect
        SelectUnit,   // left click on the unit's line
        OpenSheet,    // double click on the unit's line
        Operate,      // the line's menu: Operate
        Spin,         // the sheet's mode control, one step
        Apply,        // the sheet's Apply
        Ok,           // the sheet's OK
        Cancel,       // the sheet's Cancel
        AddUnit,      // New > Kiln, step to the ID, Add, Cancel
        DeleteUnit,   // the line's menu: Delete
        PullPort,     // the farm's USB adapter pulled out
        RestorePort,  // and plugged in again
        Ticks,        // arg seconds go by
        Wait,         // arg milliseconds go by
        AnswerPrompt, // the Log Descriptor prompt: a descriptor typed, Enter
        DismissPrompt,
        Acknowledge,    // the Alarms pane: click line arg (from 1), Acknowledge
        AcknowledgeAll, // the Alarms pane: Acknowledge All
        Exit,           // File > Exit
    };
    Kind kind = Kind::Ticks;
    int arg = 0;

    bool operator==(const OperatorStep&) const = default;
};

using OperatorSequence = std::vector<OperatorStep>;

// "connect 1; tick 4; open 5; spin; apply; tick 1; cancel; exit": the form a failing
// sequence is printed in and a regression test replays.
std::string ToText(const OperatorStep& step);
std::string ToText(const OperatorSequence& steps);
// False for text that is no sequence of steps.
bool ParseSequence(std::string_view text, OperatorSequence& steps, std::string& error);

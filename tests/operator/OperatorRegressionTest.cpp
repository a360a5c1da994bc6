// Sequences with which the simulated operator once broke a check, replayed step by step as they
// were found: the seed names the farms, the steps what was done at the desk.

#include "OperatorSession.h"

#include <gtest/gtest.h>

namespace {

void ExpectEveryCheckHolds(std::uint64_t seed, const char* text) {
    OperatorSequence steps;
    std::string error;
    ASSERT_TRUE(ParseSequence(text, steps, error)) << error;
    const OperatorOutcome outcome = OperatorSession::Replay(seed, steps);
    EXPECT_FALSE(outcome.failed) << outcome.failure << "\n  steps: " << text;
}

} // namespace

// ---- A controller sheet switches its own unit, on its own farm, or none ----------------------

TEST(OperatorRegression, SheetOfAFarmNotConnectedSwitchesNoUnitOfTheConnectedFarm) {
    // Unit 5 of Group 2 applied while Group 1, which has a unit 5 too, is connected.
    ExpectEveryCheckHolds(16, "connect 1; tick 3; dismiss; open 5; tick 5; cancel; select 2; "
                              "open 5; spin; apply; tick 1; exit");
}

TEST(OperatorRegression, ReopenedSheetCommitsNoReplyFromBeforeItOpened) {
    ExpectEveryCheckHolds(28, "connect 1; tick 4; answer; open 2; tick 1; cancel; open 2; spin; "
                              "apply; tick 1; exit");
}

TEST(OperatorRegression, UnitMenuLeavesNoSelectionWhoseRepliesASheetCommitsLater) {
    // The line's menu, dismissed, leaves unit 3 the selected one: its replies are kept as the
    // commit base from then on, and a sheet opened later starts unlocked on them.
    ExpectEveryCheckHolds(102, "connect 1; operate 3; tick 5; dismiss; operate 3; spin; apply; "
                               "tick 1; exit");
}

TEST(OperatorRegression, StartupScanNoticeUnlocksNoSheetOfAnotherUnit) {
    // Unit 3 of Group 1 selected by its menu; the sheet of unit 2 of Group 2 is unlocked by unit
    // 3's first reply and its Apply switches unit 3.
    ExpectEveryCheckHolds(9, "operate 3; connect 1; tick 2; answer; connect 2; open 2; tick 4; "
                             "spin; apply; tick 1; exit");
}

TEST(OperatorRegression, CommitAppliedOnAClosedSheetGoesToNoOtherUnit) {
    // Applied on unit 5's sheet, which is closed and unit 3's opened before the next tick: the
    // commit goes out built on unit 3's reply.
    ExpectEveryCheckHolds(16, "connect 1; tick 3; answer; open 5; tick 6; spin; apply; cancel; "
                              "open 3; tick 1; exit");
}

// ---- A pulled adapter ends the connection --------------------------------------------------

TEST(OperatorRegression, PulledAdapterClearsTheConnectedMark) {
    ExpectEveryCheckHolds(1, "connect 1; pull 1; exit");
}

TEST(OperatorRegression, PulledAdapterFinishesThePcLog) {
    ExpectEveryCheckHolds(3, "connect 1; tick 3; answer; pull 1; exit");
}

TEST(OperatorRegression, PulledAdapterStopsTheAlarmTone) {
    // Group 1 is connected at start-up, and its unit 5 is in alarm.
    ExpectEveryCheckHolds(99, "tick 7; pull 1; exit");
}

// ---- One farm connected at a time ---------------------------------------------------------------

TEST(OperatorRegression, StartupConnectionLeavesAFarmConnectedBeforeItAlone) {
    // Group 2 connected by the operator before the first tick connects Group 1, the start-up farm.
    ExpectEveryCheckHolds(147, "connect 2; tick 1; exit");
}

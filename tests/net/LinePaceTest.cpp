#include "support/DocProbe.h"
#include "support/EngineFakes.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// The engine fakes with a millisecond clock the test moves by hand.
class MillisecondClock : public ManualClock {
public:
    std::int64_t MonotonicMilliseconds() const override { return ms; }
    std::int64_t ms = 0;
};

struct LinePaceFixture : EngineFixture {
    MillisecondClock msClock;
    std::vector<std::int64_t> writeTimes;

    explicit LinePaceFixture(std::initializer_list<int> nodeIds,
                             ScanPaceKind kind = ScanPaceKind::Line) {
        doc.SetClock(&msClock);
        ConfigureUnits(doc.Farm(0), nodeIds);
        ScanPaceSettings pace;
        pace.kind = kind;
        doc.SetFarmScanPace(0, pace);
        doc.FarmConnect(0);
    }
    ~LinePaceFixture() { doc.SetClock(nullptr); }

    void Tick() {
        doc.Timer1_Tick();
        NoteWrites();
    }
    // Moves the clock to the next line step and runs it; false when none is due.
    bool Step() {
        const std::int64_t due = doc.LineStepDueMs();
        if (due < 0) {
            return false;
        }
        msClock.ms = std::max(msClock.ms, due);
        doc.LineStep();
        NoteWrites();
        return true;
    }
    // Answers the last scan after the line time of query and reply plus 20 ms.
    void Answer() {
        const auto& last = port.writes.back().bytes;
        msClock.ms += ScanPace::LineTimeMs(64) + 20;
        Reply(StatusReply(last[0]));
    }
    void NoteWrites() { writeTimes.resize(port.writes.size(), msClock.ms); }
    int CountStatus(const std::string& text) const {
        return static_cast<int>(
            std::count_if(frame.lines.begin(), frame.lines.end(),
                          [&](const std::string& l) { return l.find(text) != std::string::npos; }));
    }
};

} // namespace

TEST(ScanPaceRules, LineTimesDeadlinesAndGuardFollowTheBytes) {
    EXPECT_EQ(ScanPace::LineTimeMs(64), 267); // 640 bits at 2400 bit/s, rounded up
    EXPECT_EQ(ScanPace::LineTimeMs(0), 0);
    EXPECT_EQ(ScanPace::LineTimeMs(-5), 0);

    ScanPace pace;
    ScanPaceSettings settings;
    settings.guardMs = 30;
    settings.marginMs = 150;
    pace.Configure(settings);
    pace.Sent(1000, 4, 60);
    EXPECT_EQ(pace.DeadlineMs(), 1000 + 17 + 250 + 150);
    EXPECT_EQ(pace.ReadyAtMs(), 1000 + 17 + 30);
    pace.Answered(1300);
    EXPECT_EQ(pace.ReadyAtMs(), 1330);
    // A long frame keeps the line busy past an early answer.
    pace.Sent(2000, 480, 0);
    pace.Answered(2100);
    EXPECT_EQ(pace.ReadyAtMs(), 2000 + 2000 + 30);
    pace.NothingSent(5000);
    EXPECT_EQ(pace.ReadyAtMs(), 6000);

    settings.kind = static_cast<ScanPaceKind>(9);
    settings.guardMs = -4;
    settings.marginMs = 1 << 30;
    const ScanPaceSettings bounded = settings.Bounded();
    EXPECT_EQ(bounded.kind, ScanPaceKind::Tick);
    EXPECT_EQ(bounded.guardMs, 0);
    EXPECT_EQ(bounded.marginMs, ScanPaceSettings::kMaxMarginMs);
}

TEST(LinePace, TheTickPaceNeverAsksForALineStep) {
    LinePaceFixture f({3, 5}, ScanPaceKind::Tick);
    for (int i = 0; i < 6; ++i) {
        f.Tick();
        EXPECT_EQ(f.doc.LineStepDueMs(), -1);
        f.doc.LineStep(); // does nothing
    }
    // Nobody answers: the same unit, one attempt a tick, the status time counting lines.
    EXPECT_EQ(f.ScanTargets(), (std::vector<int>{3, 3, 3}));
    EXPECT_EQ(f.CountStatus("0000:00:00:02: TT_KVN_T1_PIO_O (KVN.003.3)"), 1);
}

TEST(LinePace, ScansFollowEachReplyAfterTheGuardWhileTheTickKeepsItsStages) {
    LinePaceFixture f({3, 5, 9});
    f.Tick(); // the burst, at 0 ms
    EXPECT_EQ(f.doc.LineStepDueMs(), -1) << "the settle ticks stay on the tick";
    f.msClock.ms = 1000;
    f.Tick();
    f.msClock.ms = 2000;
    f.Tick();
    ASSERT_EQ(f.port.writes.size(), 1u);
    // As at the tick, the first scan goes out on the fourth tick after connecting.
    EXPECT_EQ(f.doc.LineStepDueMs(), 3000);

    for (int i = 0; i < 7; ++i) {
        ASSERT_TRUE(f.Step());
        f.Answer();
    }
    EXPECT_EQ(f.ScanTargets(), (std::vector<int>{3, 5, 9, 3, 5, 9, 3}));
    EXPECT_TRUE(f.doc.StartupScanComplete());
    for (std::size_t i = 2; i < f.writeTimes.size(); ++i) {
        EXPECT_EQ(f.writeTimes[i] - f.writeTimes[i - 1],
                  267 + 20 + ScanPaceSettings::kDefaultGuardMs)
            << i;
    }
    // Every scan names itself in the status line; the time there still counts ticks.
    EXPECT_EQ(f.CountStatus("0000:00:00:00: TT_KVN_T1_PIO_O (KVN.009.1)"), 2);
    f.Tick();
    ASSERT_TRUE(f.Step());
    EXPECT_NE(f.frame.Last().find("0000:00:00:01: TT_KVN_T1_PIO_O (KVN.005.1)"), std::string::npos)
        << f.frame.Last();
}

TEST(LinePace, ASilentUnitIsAskedSevenTimesEachEndingAfterItsReplyTimeAndMargin) {
    LinePaceFixture f({3, 5});
    for (int t = 0; t < 3; ++t) {
        f.msClock.ms = t * 1000;
        f.Tick();
    }
    ASSERT_TRUE(f.Step());
    f.Answer(); // unit 3
    for (int attempt = 1; attempt <= 7; ++attempt) {
        ASSERT_TRUE(f.Step());
        ASSERT_EQ(f.ScanTargets().back(), 5);
        EXPECT_EQ(DocProbe(f.doc).AttemptNumber(), attempt);
        EXPECT_EQ(f.doc.LineStepDueMs(), f.msClock.ms + 267 + 150);
    }
    ASSERT_TRUE(f.Step()); // the seventh time-out, and unit 3 at once
    EXPECT_EQ(f.ScanTargets(), (std::vector<int>{3, 5, 5, 5, 5, 5, 5, 5, 3}));
    std::vector<int> countdowns;
    for (const auto& d : f.list.data) {
        if (d.nodeId == 5) {
            countdowns.push_back(d.retryCountdown);
        }
    }
    EXPECT_EQ(countdowns, (std::vector<int>{6, 5, 4, 3, 2, 1, 0}));
    EXPECT_EQ(f.writeTimes.back() - f.writeTimes[2], 7 * (267 + 150));
}

TEST(LinePace, ACommitWaitsForTheReplyInFlightAndAnUnansweredOneEndsInF) {
    LinePaceFixture f({3, 5});
    for (int t = 0; t < 3; ++t) {
        f.msClock.ms = t * 1000;
        f.Tick();
    }
    ASSERT_NE(f.doc.GetKilnRecord(0, 4), nullptr); // unit 5 selected
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(f.Step());
        f.Answer();
    }
    ASSERT_TRUE(f.doc.ImageFilled());
    ASSERT_TRUE(f.Step()); // unit 3 asked again
    f.doc.Apply_3_1(4);
    const std::size_t before = f.port.writes.size();
    EXPECT_EQ(DocProbe(f.doc).TransactionTypeNow(), TT_KVN_T1_PIO_I);
    f.Answer();
    ASSERT_TRUE(f.Step());
    ASSERT_EQ(f.port.writes.size(), before + 1);
    EXPECT_EQ(DocProbe(f.doc).TransactionTypeNow(), TT_KVN_T2_PIO_I);
    EXPECT_EQ(f.doc.LineStepDueMs(),
              f.msClock.ms +
                  ScanPace::LineTimeMs(static_cast<int>(f.port.writes.back().bytes.size()) + 4) +
                  150);
    ASSERT_TRUE(f.Step()); // unanswered: F, then the scan goes on at once
    EXPECT_EQ(f.list.statusCodes, (std::vector<int>{KVN_RPY_FAILURE}));
    EXPECT_EQ(f.ScanTargets().back(), 5);
}

TEST(LinePace, AFarmWithoutUnitsShowsTheEmptyQueueOnceASecondInsteadOfSpinning) {
    LinePaceFixture f({});
    for (int t = 0; t < 3; ++t) {
        f.msClock.ms = t * 1000;
        f.Tick();
    }
    int steps = 0;
    while (f.doc.LineStepDueMs() >= 0 && f.doc.LineStepDueMs() <= 6000 && steps < 100) {
        f.Step();
        ++steps;
    }
    EXPECT_EQ(steps, 4);
    EXPECT_EQ(f.CountStatus("TT_KVN_T1_PIO_O (KVN)"), 4);
}

TEST(LinePace, TheStationQueryAndTheDisconnectStagesStayOnTheTick) {
    LinePaceFixture f({3});
    for (int t = 0; t < 3; ++t) {
        f.msClock.ms = t * 1000;
        f.Tick();
    }
    f.doc.ZRM_Query1_Query();
    EXPECT_EQ(f.doc.LineStepDueMs(), -1);
    f.msClock.ms = 3000;
    f.Tick();
    EXPECT_EQ(DocProbe(f.doc).TransactionTypeNow(), TT_ZRM_T1_PIO_I);
    EXPECT_EQ(f.doc.LineStepDueMs(), -1);
    f.doc.ZRM_QueryN_Adjustment(true);
    f.msClock.ms = 4000;
    f.Tick();
    EXPECT_GE(f.doc.LineStepDueMs(), 0) << "scanning is back on the line pace";
    f.doc.fARMdISCONNECT(0);
    EXPECT_EQ(f.doc.LineStepDueMs(), -1);
}

#include "PcLogTestSupport.h"
#include "support/DocProbe.h"

#include <gtest/gtest.h>

using namespace pclogtest;

TEST(DetailLine, GivesTheNodeScaleAndFourTemperaturesInTheUnitsOwnDegrees) {
    LoggingFarm f;
    f.frame.descriptorText.clear(); // an empty descriptor writes no first line
    // Raws that read 56, 57, 55, 61 in Centigrade and 132, 134, 131, 142 in Fahrenheit.
    f.answer = [](int id) -> Answer {
        return UnitReply(id, kRun, id == 3, {2640, 2680, 2610, 2830});
    };
    f.Connect({3, 4});
    f.Ticks(3);
    f.clock.now = {2006, 12, 6, 8, 16, 0};
    f.Ticks(2);
    EXPECT_EQ(Lines(f.LogPath()), (std::vector<std::string>{
                                      "12/06/06,08:16:00,003,58, 56, 57, 55, 61",
                                      "12/06/06,08:16:00,004,135,132,134,131,142",
                                  }));
    EXPECT_EQ(ReadFile(f.MirrorPath()), ReadFile(f.LogPath()));
}

TEST(DetailLine, OneLinePerCycleForTheOnlyRunningUnitAndTheFileClosesAfterTheLast) {
    LoggingFarm f;
    f.answer = [](int id) -> Answer { return UnitReply(id, id == 2 ? kRun : kStandby, false); };
    f.Connect({1, 2, 3});
    f.Ticks(5); // the cycle, then units 1 and 2
    EXPECT_TRUE(f.doc.PcLog(0).IsLogFileOpen()) << "unit 3 is still pending";
    f.Ticks(1);
    EXPECT_FALSE(f.doc.PcLog(0).IsLogFileOpen());
    EXPECT_FALSE(DocProbe(f.doc).LogCycleActive());
    EXPECT_TRUE(f.doc.PcLog(0).IsMirrorOpen()) << "the mirror lives for the whole connection";
    EXPECT_EQ(Lines(f.LogPath()).size(), 2u);

    f.Ticks(56);
    EXPECT_EQ(Lines(f.LogPath()).size(), 2u);
    f.Ticks(4); // the second cycle, sixty ticks after the first
    const auto lines = Lines(f.LogPath());
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[1].substr(18, 3) + lines[2].substr(18, 3), "002002");
}

TEST(DetailLine, AUnitStillBeingRetriedStaysPendingUntilItsLastAttempt) {
    LoggingFarm f;
    f.answer = [](int) -> Answer { return std::nullopt; };
    f.Connect({1});
    f.Ticks(4); // the cycle, the first query
    for (int timeOut = 1; timeOut <= 6; ++timeOut) {
        f.Ticks(1);
        EXPECT_EQ(f.doc.Farm(0).m_bPcLogNode[0], 1) << "after time-out " << timeOut;
    }
    EXPECT_TRUE(f.doc.PcLog(0).IsLogFileOpen());
    f.Ticks(1); // the seventh attempt times out
    EXPECT_EQ(f.doc.Farm(0).m_bPcLogNode[0], 0);
    EXPECT_FALSE(f.doc.PcLog(0).IsLogFileOpen());
    EXPECT_EQ(Lines(f.LogPath()).size(), 1u) << "a silent unit gets no line";
}

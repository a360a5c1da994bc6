#include "PcLogTestSupport.h"

#include <gtest/gtest.h>

using namespace pclogtest;

namespace {

// RTD raws that read 56, 57, 55 and 61 in Centigrade, and 132, 134, 131 and 142 in Fahrenheit.
constexpr std::array<std::uint16_t, 4> kRaws = {2640, 2680, 2610, 2830};

} // namespace

TEST(DetailLine, GivesTheNodeScaleAndFourTemperaturesInTheUnitsOwnDegrees) {
    LoggingFarm f;
    f.answer = [](int nodeId) -> std::optional<std::vector<std::uint8_t>> {
        return UnitReply(nodeId, kRun, nodeId == 3, kRaws);
    };
    f.Connect({3, 4});
    f.Ticks(3);
    f.clock.now = {2006, 12, 6, 8, 16, 0};
    f.Ticks(2);

    const auto lines = Lines(ReadFile(f.LogPath()));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[1], "12/06/06,08:16:00,003,58, 56, 57, 55, 61");
    EXPECT_EQ(lines[2], "12/06/06,08:16:00,004,135,132,134,131,142");
    EXPECT_EQ(ReadFile(f.MirrorPath()), ReadFile(f.LogPath()));
}

TEST(DetailLine, LogsAReadingWithoutValidValueAsItsNumber) {
    LoggingFarm f;
    f.answer = [](int nodeId) -> std::optional<std::vector<std::uint8_t>> {
        return UnitReply(nodeId, kRun, false, {4241, 2640, 2640, 4260});
    };
    f.Connect({1});
    f.Ticks(4);
    EXPECT_EQ(Lines(ReadFile(f.LogPath())).back(), "12/06/06,08:15:00,001,135,212,132,132,213");
}

TEST(DetailLine, OneLinePerCycleForTheOnlyRunningUnitAndTheFileClosesAfterTheLast) {
    LoggingFarm f;
    f.answer = [](int nodeId) -> std::optional<std::vector<std::uint8_t>> {
        return UnitReply(nodeId, nodeId == 2 ? kRun : kStandby, false, kRaws);
    };
    f.Connect({1, 2, 3});
    f.Ticks(5); // the cycle, then units 1 and 2
    EXPECT_TRUE(f.doc.PcLog(0).IsLogFileOpen()) << "unit 3 is still pending";
    EXPECT_EQ(f.doc.Farm(0).m_nLoggedNodes, 1);
    f.Tick(); // unit 3
    EXPECT_FALSE(f.doc.PcLog(0).IsLogFileOpen());
    EXPECT_FALSE(f.doc.LogCycleActive());
    EXPECT_TRUE(f.doc.PcLog(0).IsMirrorOpen()) << "the mirror lives for the whole connection";
    EXPECT_EQ(Lines(ReadFile(f.LogPath())).size(), 2u);

    // Sixty ticks after the first cycle the next one writes unit 2's next line.
    f.Ticks(56);
    EXPECT_EQ(Lines(ReadFile(f.LogPath())).size(), 2u);
    f.clock.now = {2006, 12, 6, 8, 16, 3};
    f.Ticks(4);
    const auto lines = Lines(ReadFile(f.LogPath()));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[1].substr(18, 3), "002");
    EXPECT_EQ(lines[2], "12/06/06,08:16:03,002,135,132,134,131,142");
    EXPECT_FALSE(f.doc.PcLog(0).IsLogFileOpen());
}

TEST(DetailLine, AUnitStillBeingRetriedStaysPendingUntilItsLastAttempt) {
    LoggingFarm f;
    f.answer = [](int) -> std::optional<std::vector<std::uint8_t>> { return std::nullopt; };
    f.Connect({1});
    f.Ticks(4); // cycle, first query
    for (int retry = 1; retry <= 6; ++retry) {
        f.Tick(); // a time-out with attempts still to come, then the next attempt
        EXPECT_EQ(f.doc.Farm(0).m_bPcLogNode[0], 1) << "after time-out " << retry;
        EXPECT_TRUE(f.doc.PcLog(0).IsLogFileOpen());
    }
    f.Tick(); // the seventh attempt times out
    EXPECT_EQ(f.doc.Farm(0).m_bPcLogNode[0], 0);
    EXPECT_FALSE(f.doc.PcLog(0).IsLogFileOpen());
    EXPECT_EQ(Lines(ReadFile(f.LogPath())).size(), 1u) << "a silent unit gets no line";
}

TEST(DetailLine, AReplyThatComesDuringRetriesIsLoggedOnce) {
    LoggingFarm f;
    int asked = 0;
    f.answer = [&asked](int nodeId) -> std::optional<std::vector<std::uint8_t>> {
        if (++asked < 3) {
            return std::nullopt;
        }
        return UnitReply(nodeId, kRun, false, kRaws);
    };
    f.Connect({1});
    f.Ticks(6);
    EXPECT_EQ(Lines(ReadFile(f.LogPath())).size(), 2u);
    EXPECT_FALSE(f.doc.PcLog(0).IsLogFileOpen());
}

TEST(DetailLine, IgnoresFarmsAndNodesOutsideTheTables) {
    LoggingFarm f;
    f.Connect({1});
    f.Ticks(3);
    f.doc.lOGdETAILlINE(true, 0, 0);
    f.doc.lOGdETAILlINE(true, 0, 255);
    f.doc.lOGdETAILlINE(true, 0, -7);
    f.doc.lOGdETAILlINE(true, 4, 1);
    f.doc.lOGdETAILlINE(true, -1, 1);
    EXPECT_TRUE(f.doc.LogCycleActive());
    EXPECT_EQ(f.doc.Farm(0).m_nLoggedNodes, 1);
}

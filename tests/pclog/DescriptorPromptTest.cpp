#include "PcLogTestSupport.h"

#include <gtest/gtest.h>

using namespace pclogtest;

namespace {

bool PcLogsIsEmpty(const LoggingFarm& f) {
    return std::filesystem::is_empty(f.PcLogs());
}

} // namespace

TEST(LogDescriptorPrompt, PollingGoesOnWhileItIsOpenAndTheCycleStartsWithTheAnswer) {
    LoggingFarm f;
    f.frame.answerDescriptorAtOnce = false;
    f.answer = [](int nodeId) -> std::optional<std::vector<std::uint8_t>> {
        return UnitReply(nodeId, kRun, false, {2640, 2640, 2640, 2640});
    };
    f.Connect({1, 2});
    f.Ticks(3);
    ASSERT_TRUE(f.frame.DescriptorPromptShown());
    EXPECT_TRUE(f.doc.LogDescriptorPromptOpen());

    f.Ticks(70); // past the next cycle tick
    EXPECT_EQ(f.ScanTargets().size(), 70u) << "one query a tick while the operator types";
    EXPECT_EQ(f.frame.descriptorPrompts.size(), 1u) << "no second prompt over the first";
    EXPECT_FALSE(f.doc.LogCycleActive());
    EXPECT_TRUE(PcLogsIsEmpty(f));

    f.clock.now = {2006, 12, 6, 8, 16, 20};
    ASSERT_TRUE(f.frame.AnswerDescriptor(true, "Late answer"));
    EXPECT_FALSE(f.doc.LogDescriptorPromptOpen());
    EXPECT_TRUE(f.doc.LogCycleActive());
    EXPECT_EQ(f.LogPath(), f.PcLogs() + "/001_061206_081500.CSV") << "named when the cycle asked";
    f.Ticks(2);
    const auto lines = Lines(ReadFile(f.LogPath()));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "Late answer");
    EXPECT_EQ(lines[1].substr(0, 18), "12/06/06,08:16:20,");
    EXPECT_EQ(f.doc.Farm(0).m_bPcLogNeeded, 0);
}

TEST(LogDescriptorPrompt, AnAnswerAfterTheFarmDisconnectedOpensNoFile) {
    LoggingFarm f;
    f.frame.answerDescriptorAtOnce = false;
    f.Connect({1});
    f.Ticks(3);
    f.doc.fARMdISCONNECT(0);

    ASSERT_TRUE(f.frame.AnswerDescriptor(true, "Too late"));
    EXPECT_FALSE(f.doc.LogCycleActive());
    EXPECT_FALSE(f.doc.PcLog(0).IsLogFileOpen());
    EXPECT_TRUE(PcLogsIsEmpty(f));
    EXPECT_EQ(f.doc.LogDescriptor(), "Too late") << "the operator's text is kept";

    // The next connection asks again, offering that text.
    f.frame.answerDescriptorAtOnce = true;
    f.frame.confirmDescriptor = false;
    f.doc.FarmConnect(0);
    f.Ticks(3);
    ASSERT_EQ(f.frame.descriptorPrompts.size(), 2u);
    EXPECT_EQ(f.frame.descriptorPrompts[1], "Too late");
    EXPECT_EQ(ReadFile(f.LogPath()), "Too late\r\n");
}

TEST(LogDescriptorPrompt, AnAnswerAfterAReconnectionIsNotTakenForTheNewConnection) {
    LoggingFarm f;
    f.frame.answerDescriptorAtOnce = false;
    f.Connect({1});
    f.Ticks(3);
    f.doc.fARMdISCONNECT(0);
    f.doc.FarmConnect(0);
    f.Ticks(3); // the new connection's cycle tick: the old prompt is still open

    ASSERT_TRUE(f.frame.AnswerDescriptor(true, "For the old one"));
    EXPECT_FALSE(f.doc.LogCycleActive());
    EXPECT_TRUE(PcLogsIsEmpty(f));
    EXPECT_EQ(f.doc.Farm(0).m_bPcLogNeeded, 1) << "the new connection still needs its file";
}

TEST(LogDescriptorPrompt, WithoutAFrameTheCycleStartsWithThePreviousText) {
    LoggingFarm f;
    f.doc.SetFrameServices(nullptr);
    f.Connect({1});
    f.Ticks(3);
    EXPECT_TRUE(f.doc.LogCycleActive());
    EXPECT_EQ(ReadFile(f.LogPath()), "") << "no descriptor was ever given";
}

TEST(LogDescriptorPrompt, AnUnaskedAnswerChangesNothing) {
    LoggingFarm f;
    f.doc.OnLogDescriptorAnswered(true, "Nobody asked");
    EXPECT_EQ(f.doc.LogDescriptor(), "");
    EXPECT_FALSE(f.doc.LogCycleActive());
}

#include "PcLogTestSupport.h"

#include <gtest/gtest.h>

using namespace pclogtest;

TEST(LogDescriptorPrompt, PollingGoesOnWhileItIsOpenAndTheCycleStartsWithTheAnswer) {
    LoggingFarm f;
    f.frame.answerDescriptorAtOnce = false;
    f.Connect({1, 2});
    f.Ticks(73); // the prompt opens on the third; the next cycle tick would be the 63rd
    EXPECT_EQ(f.ScanTargets().size(), 70u) << "one query a tick while the operator types";
    EXPECT_EQ(f.frame.descriptorPrompts.size(), 1u) << "no second prompt over the first";
    EXPECT_FALSE(f.doc.LogCycleActive());
    EXPECT_TRUE(std::filesystem::is_empty(f.PcLogs()));

    f.clock.now.minute = 16;
    ASSERT_TRUE(f.frame.AnswerDescriptor(true, "Late answer"));
    EXPECT_EQ(f.LogPath(), Native(f.PcLogs() + "/001_061206_081500.CSV")) << "named when asked";
    f.Ticks(2);
    const auto lines = Lines(f.LogPath());
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "Late answer");
    EXPECT_EQ(lines[2].substr(0, 18), "12/06/06,08:16:00,");
}

TEST(LogDescriptorPrompt, AnAnswerAfterTheConnectionEndedOpensNoFile) {
    LoggingFarm f;
    f.frame.answerDescriptorAtOnce = false;
    f.Connect({1});
    f.Ticks(3);
    f.doc.fARMdISCONNECT(0);
    f.doc.FarmConnect(0);
    f.Ticks(3); // the new connection's cycle tick, the old prompt still open

    ASSERT_TRUE(f.frame.AnswerDescriptor(true, "Too late"));
    EXPECT_FALSE(f.doc.LogCycleActive());
    EXPECT_TRUE(std::filesystem::is_empty(f.PcLogs()));

    // The new connection asks at its next cycle, offering the text the operator gave.
    f.frame.answerDescriptorAtOnce = true;
    f.frame.confirmDescriptor = false;
    f.Ticks(60);
    EXPECT_EQ(f.frame.descriptorPrompts.back(), "Too late");
    EXPECT_EQ(Lines(f.LogPath()).front(), "Too late");
}

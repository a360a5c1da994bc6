#include "PcLogTestSupport.h"
#include "support/DocProbe.h"

#include <gtest/gtest.h>

#include <set>

using namespace pclogtest;

namespace {

// Ticks with the clock running a second a tick from 08:15:00.
void TicksOnTheClock(LoggingFarm& f, int count) {
    for (int i = 0; i < count; ++i) {
        f.Ticks(1);
        int second = f.clock.now.second + 1;
        f.clock.now.minute += second / 60;
        f.clock.now.second = second % 60;
    }
}

std::vector<std::string> DataLines(const std::vector<std::string>& lines) {
    return std::vector<std::string>(lines.begin() + 1, lines.end());
}

} // namespace

TEST(LogDescriptorPrompt, MinutesWhileItIsOpenAreWrittenInOrderAfterTheDescriptor) {
    LoggingFarm f;
    f.frame.answerDescriptorAtOnce = false;
    f.Connect({1, 2});
    TicksOnTheClock(f, 182); // the prompt opens on the third tick, 08:15:02
    EXPECT_EQ(f.ScanTargets().size(), 179u) << "one query a tick while the operator types";
    EXPECT_EQ(f.frame.descriptorPrompts.size(), 1u) << "no second prompt over the first";
    EXPECT_TRUE(std::filesystem::is_empty(f.PcLogs())) << "nothing written before the answer";
    EXPECT_EQ(DocProbe(f.doc).HeldLogLines(), 6u) << "two units, three minutes";

    ASSERT_TRUE(f.frame.AnswerDescriptor(true, "Late answer"));
    EXPECT_EQ(f.LogPath(), Native(f.PcLogs() + "/001_061206_081502.CSV")) << "named when asked";
    TicksOnTheClock(f, 60);
    const auto lines = Lines(f.LogPath());
    ASSERT_EQ(lines.size(), 9u);
    EXPECT_EQ(lines[0], "Late answer");
    // Each minute once for each unit, in the order they were read.
    std::vector<std::string> minutes;
    std::multiset<std::string> units;
    for (const std::string& line : DataLines(lines)) {
        minutes.push_back(line.substr(9, 5));
        units.insert(line.substr(18, 3));
    }
    EXPECT_EQ(minutes, (std::vector<std::string>{"08:15", "08:15", "08:16", "08:16", "08:17",
                                                 "08:17", "08:18", "08:18"}));
    EXPECT_EQ(units.count("001"), 4u);
    EXPECT_EQ(units.count("002"), 4u);
    EXPECT_EQ(DocProbe(f.doc).HeldLogLines(), 0u);
}

TEST(LogDescriptorPrompt, NobodyAnsweringStillLogsAfterTheTimeout) {
    LoggingFarm unattended;
    unattended.frame.answerDescriptorAtOnce = false;
    unattended.doc.SetDescriptorTimeoutSeconds(120);
    unattended.Connect({1});
    TicksOnTheClock(unattended, 122);
    EXPECT_TRUE(std::filesystem::is_empty(unattended.PcLogs()));
    TicksOnTheClock(unattended, 2);
    const auto lines = Lines(unattended.LogPath());
    ASSERT_EQ(lines.size(), 3u) << "answered by itself after two minutes, both minutes kept";
    EXPECT_EQ(lines[0].substr(18, 3), "001") << "no descriptor was given";
    unattended.frame.AnswerDescriptor(true, "Too late");
    EXPECT_EQ(Lines(unattended.LogPath()).size(), 3u) << "the late answer changes nothing";
}

TEST(LogDescriptorPrompt, AConnectionEndingUnderThePromptKeepsItsReadings) {
    LoggingFarm f;
    f.frame.answerDescriptorAtOnce = false;
    f.Connect({1});
    TicksOnTheClock(f, 65);
    const std::string first = f.LogPath();
    f.doc.fARMdISCONNECT(0);
    auto lines = Lines(first);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].substr(18, 3), "001");

    // The old prompt's answer changes nothing; the new connection asks again at its first
    // cycle, and its lines go to its own file.
    f.doc.FarmConnect(0);
    EXPECT_TRUE(f.frame.AnswerDescriptor(true, "Too late"));
    EXPECT_EQ(Lines(first).size(), 2u);
    f.frame.answerDescriptorAtOnce = true;
    f.frame.descriptorText = "Second charge";
    TicksOnTheClock(f, 4);
    ASSERT_NE(f.LogPath(), first);
    EXPECT_EQ(Lines(f.LogPath()).front(), "Second charge");
}

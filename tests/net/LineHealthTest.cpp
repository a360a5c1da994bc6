#include "net/LineHealth.h"
#include "app/LocalSeconds.h"
#include "net/LineHealthTable.h"

#include <gtest/gtest.h>

namespace {

std::vector<int> Nodes(const std::vector<UnitLineHealth>& units) {
    std::vector<int> nodes;
    for (const auto& u : units) {
        nodes.push_back(u.nodeId);
    }
    return nodes;
}

} // namespace

TEST(LineHealth, IgnoresNodesOutsideTheUnitRange) {
    LineHealth health;
    health.Reset({0, 255, -3, 12});
    for (const int node : {0, 255, 256, -1}) {
        health.PollSent(node);
        health.GoodReply(node, 5);
        health.GiveUp(node);
        health.Refused(node);
        EXPECT_EQ(health.Unit(node), nullptr);
    }
    EXPECT_EQ(Nodes(health.Units()), std::vector<int>{12});
}

TEST(LineHealth, UnitAskedButNotConfiguredAtConnectGetsARow) {
    LineHealth health;
    health.Reset({3});
    health.PollSent(9);
    ASSERT_NE(health.Unit(9), nullptr);
    EXPECT_EQ(health.Unit(9)->polls, 1u);
    EXPECT_EQ(Nodes(health.Units()), (std::vector<int>{3, 9}));
}

TEST(LineHealth, ResetForgetsEveryCountAndCountsConnections) {
    LineHealth health;
    health.Reset({1});
    health.PollSent(1);
    health.GoodReply(1, 100);
    health.Reset({2});
    EXPECT_EQ(health.Unit(1), nullptr);
    EXPECT_EQ(health.Unit(2)->polls, 0u);
    EXPECT_EQ(health.Unit(2)->lastGoodReply, -1);
    EXPECT_EQ(health.Connection(), 2u);
}

TEST(LineHealth, AGoodReplyEndsTheFailingState) {
    LineHealth health;
    health.Reset({1});
    health.PollSent(1);
    health.NoValidReply(1);
    EXPECT_TRUE(health.Unit(1)->Failing()) << "asked and never answered";
    health.GoodReply(1, 50);
    EXPECT_FALSE(health.Unit(1)->Failing());
    health.GiveUp(1);
    EXPECT_TRUE(health.Unit(1)->Failing());
    health.GoodReply(1, 90);
    EXPECT_FALSE(health.Unit(1)->Failing());
    EXPECT_EQ(health.Unit(1)->SecondsSinceGoodReply(100), 10);
    EXPECT_EQ(health.Unit(1)->SecondsSinceGoodReply(80), 0) << "a clock set back is no age";
}

TEST(LineHealth, FailingFirstPutsTheLongestSilentOnTop) {
    LineHealth health;
    health.Reset({1, 2, 3, 4, 5});
    // 1 healthy, 2 given up after answering at 10, 3 never answered, 4 given up after 50,
    // 5 healthy but with more misses than 1.
    for (const int node : {1, 2, 3, 4, 5}) {
        health.PollSent(node);
    }
    health.GoodReply(1, 100);
    health.GoodReply(2, 10);
    health.GiveUp(2);
    health.NoValidReply(3);
    health.GoodReply(4, 50);
    health.GiveUp(4);
    health.GoodReply(5, 100);
    health.NoValidReply(5);
    EXPECT_EQ(Nodes(health.FailingFirst(200)), (std::vector<int>{3, 2, 4, 5, 1}));
}

TEST(LineHealthTable, ListsTheFailingUnitFirstWithItsFigures) {
    LineHealth health;
    health.Reset({1, 7});
    health.PollSent(1);
    health.GoodReply(1, 3600 * 8 + 60);
    for (int i = 0; i < 7; ++i) {
        health.PollSent(7);
        health.NoValidReply(7);
    }
    health.Refused(7);
    health.GiveUp(7);
    const std::string text = LineHealthTable::Text(health, 3600 * 8 + 125);
    const auto first = text.find('\n');
    ASSERT_NE(first, std::string::npos);
    EXPECT_EQ(text.substr(0, 4), "Unit");
    EXPECT_EQ(text.substr(first + 1, 4), "007!");
    EXPECT_NE(text.find("007!        7        0        7        1        1  --        --"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("001         1        1        0        0        0  08:01:00  1 min 05 s"),
              std::string::npos)
        << text;
    EXPECT_EQ(LineHealthTable::Text(health, 0, Language::Spanish).substr(0, 4), "Unid");
}

TEST(LineHealthTable, AgesAndClockTimes) {
    EXPECT_EQ(LineHealthTable::AgeText(-1), "--");
    EXPECT_EQ(LineHealthTable::AgeText(0), "0 s");
    EXPECT_EQ(LineHealthTable::AgeText(3599), "59 min 59 s");
    EXPECT_EQ(LineHealthTable::AgeText(3600 * 30 + 420), "30 h 07 min");
    EXPECT_EQ(LineHealthTable::ClockText(-5), "--");
    EXPECT_EQ(LineHealthTable::ClockText(86400 * 3 + 3661), "01:01:01");
}

TEST(LocalSeconds, CountsFromTheStartOf2000) {
    EXPECT_EQ(LocalSeconds({2000, 1, 1, 0, 0, 0}), 0);
    EXPECT_EQ(LocalSeconds({2000, 3, 1, 0, 0, 0}), 60 * 86400) << "2000 is a leap year";
    EXPECT_EQ(LocalSeconds({2006, 12, 6, 8, 15, 0}), 2531 * 86400LL + 8 * 3600 + 15 * 60);
    EXPECT_EQ(LocalSeconds({1999, 12, 31, 23, 59, 59}), -1);
}

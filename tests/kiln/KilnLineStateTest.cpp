#include "kiln/KilnLineState.h"
#include "kiln/KilnLineText.h"
#include "net/LineHealth.h"

#include <gtest/gtest.h>

using State = KilnLineState::State;

TEST(KilnLineState, TellsASilentUnitFromOneNotYetAsked) {
    LineHealth health;
    health.Reset({3, 4, 5});
    // Unit 3 was given up after its last attempt; unit 4 is still being retried; unit 5 has
    // not been asked on this connection.
    for (int attempt = 0; attempt < 7; ++attempt) {
        health.PollSent(3);
        health.NoValidReply(3);
    }
    health.GiveUp(3);
    health.PollSent(4);
    health.NoValidReply(4);

    EXPECT_EQ(KilnLineState::Of(KilnLineText::kIconNoData, health.Unit(3)), State::NotAnswering);
    EXPECT_EQ(KilnLineState::Of(KilnLineText::kIconNoData, health.Unit(4)), State::NoData);
    EXPECT_EQ(KilnLineState::Of(KilnLineText::kIconNoData, health.Unit(5)), State::NoData);
    // A farm that is not the connected one has no line health to go by.
    EXPECT_EQ(KilnLineState::Of(KilnLineText::kIconNoData, nullptr), State::NoData);

    // Data on the line wins over a give-up counted earlier on the connection.
    health.GoodReply(3, 100);
    health.GiveUp(3);
    EXPECT_EQ(KilnLineState::Of(KilnLineText::kIconNormal, health.Unit(3)), State::Normal);
    EXPECT_EQ(KilnLineState::Of(KilnLineText::kIconAlarm, health.Unit(3)), State::Alarm);
    // A good reply ends the silence.
    health.GoodReply(3, 101);
    EXPECT_EQ(KilnLineState::Of(KilnLineText::kIconNoData, health.Unit(3)), State::NoData);
}

TEST(KilnLineState, ASilentUnitHasItsOwnIconAndWords) {
    EXPECT_NE(KilnLineState::Icon(State::NotAnswering), KilnLineState::Icon(State::NoData));
    EXPECT_EQ(KilnLineState::OfIcon(KilnLineState::Icon(State::NotAnswering)), State::NotAnswering);
    EXPECT_EQ(KilnLineState::Text(State::NotAnswering, Language::English), "Not answering");
    EXPECT_EQ(KilnLineState::Text(State::NotAnswering, Language::Spanish), "No responde");
    EXPECT_EQ(KilnLineState::Text(State::NoData, Language::English), "No data");
}

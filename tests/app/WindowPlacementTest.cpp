#include "app/WindowPlacement.h"

#include <gtest/gtest.h>

TEST(WindowPlacement, TenNumbersRoundTrip) {
    WindowPlacement placement;
    placement.showCommand = WindowPlacement::kShowMaximized;
    placement.left = -8;
    placement.top = 30;
    placement.right = 1000;
    placement.bottom = 700;
    EXPECT_EQ(placement.Format(), "0,3,-1,-1,-1,-1,-8,30,1000,700");
    const auto back = WindowPlacement::Parse(placement.Format());
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(*back, placement);
    EXPECT_EQ(back->Width(), 1008);
    EXPECT_EQ(back->Height(), 670);
}

TEST(WindowPlacement, IsIgnoredUnlessAllTenFieldsRead) {
    EXPECT_FALSE(WindowPlacement::Parse(""));
    EXPECT_FALSE(WindowPlacement::Parse("0,1,-1,-1,-1,-1,10,10,800"));
    EXPECT_FALSE(WindowPlacement::Parse("0,1,-1,-1,-1,-1,10,10,800,x"));
    EXPECT_FALSE(WindowPlacement::Parse("garbage"));
    EXPECT_TRUE(WindowPlacement::Parse("0,1,-1,-1,-1,-1,10,10,800,600"));
}

TEST(WindowPlacement, StoredShowCommandReplacesOnlyAnOrdinaryStart) {
    WindowPlacement stored;
    stored.showCommand = WindowPlacement::kShowMaximized;
    EXPECT_EQ(WindowPlacement::InitialShowCommand(WindowPlacement::kShowNormal, stored),
              WindowPlacement::kShowMaximized);
    // Started minimised: it stays minimised (the rectangle is still the stored one).
    EXPECT_EQ(WindowPlacement::InitialShowCommand(WindowPlacement::kShowMinimized, stored),
              WindowPlacement::kShowMinimized);
}

#include "kiln/AddKilnIds.h"
#include "config/FarmConfiguration.h"

#include <gtest/gtest.h>

#include <initializer_list>

namespace {

// The configured flags of a farm with every node ID taken except the free ones given.
std::array<std::int32_t, kNodeFlagCount> AllTakenBut(std::initializer_list<int> freeIds) {
    std::array<std::int32_t, kNodeFlagCount> taken{};
    taken.fill(1);
    for (const int id : freeIds) {
        taken[static_cast<std::size_t>(id - 1)] = 0;
    }
    return taken;
}

} // namespace

TEST(AddKilnIds, EmptyFarmOffersIdOneAndStepsDownToTheHighest) {
    AddKilnIds ids(std::array<std::int32_t, kNodeFlagCount>{});
    EXPECT_EQ(ids.FreeCount(), 254);
    EXPECT_EQ(ids.DisplayText(), " 001");
    ids.Step(+1); // down arrow
    EXPECT_EQ(ids.DisplayText(), " 254");
    ids.Step(-1); // up arrow wraps back
    EXPECT_EQ(ids.DisplayText(), " 001");
}

TEST(AddKilnIds, StepsWrapBetweenTwoFreeIdsInBothDirections) {
    AddKilnIds ids(AllTakenBut({5, 9}));
    EXPECT_EQ(ids.DisplayText(), " 005");
    ids.StepUp();
    EXPECT_EQ(ids.DisplayText(), " 009");
    ids.Step(-1);
    EXPECT_EQ(ids.DisplayText(), " 005");
    ids.Step(-1);
    EXPECT_EQ(ids.DisplayText(), " 009");
    ids.Step(+1);
    EXPECT_EQ(ids.DisplayText(), " 005");
}

TEST(AddKilnIds, AddingMovesToTheNextHigherFreeIdWithWrap) {
    AddKilnIds ids(AllTakenBut({3, 100, 200}));
    ids.StepDown(); // wraps to 200
    EXPECT_EQ(ids.DisplayText(), " 200");
    ids.MarkAdded();
    EXPECT_EQ(ids.DisplayText(), " 003");
    EXPECT_EQ(ids.FreeCount(), 2);
    ids.MarkAdded();
    EXPECT_EQ(ids.DisplayText(), " 100");
    EXPECT_FALSE(ids.CanStep());
}

TEST(AddKilnIds, NodeIdTwoHundredFiftyFiveIsNeverOffered) {
    AddKilnIds ids(AllTakenBut({}));
    EXPECT_EQ(ids.FreeCount(), 0);
    // The alarm station's flag is no unit: a farm with every unit slot taken has no free ID.
    std::array<std::int32_t, kNodeFlagCount> stationOnly = AllTakenBut({});
    stationOnly[254] = 0;
    EXPECT_EQ(AddKilnIds(stationOnly).FreeCount(), 0);
}

TEST(AddKilnIds, RefusedIdIsTakenAndTheNextOneShown) {
    AddKilnIds ids(AllTakenBut({10, 11}));
    ids.MarkTaken(9);
    EXPECT_EQ(ids.DisplayText(), " 011");
    ids.MarkTaken(9); // already taken: nothing changes
    EXPECT_EQ(ids.FreeCount(), 1);
    ids.MarkTaken(-1);
    ids.MarkTaken(400);
    EXPECT_EQ(ids.FreeCount(), 1);
}

#include "system/SoakSeeds.h"

#include <gtest/gtest.h>

TEST(SoakSeeds, ReadsSingleSeedsAndInclusiveRanges) {
    std::vector<std::uint64_t> seeds;
    std::string error;
    ASSERT_TRUE(SoakSeeds::Parse("7,12-14,3", seeds, error)) << error;
    EXPECT_EQ(seeds, (std::vector<std::uint64_t>{7, 12, 13, 14, 3}));
    ASSERT_TRUE(SoakSeeds::Parse("18446744073709551615", seeds, error)) << error;
    EXPECT_EQ(seeds.size(), 1u);
}

TEST(SoakSeeds, RefusesWhatIsNoListOfSeeds) {
    std::vector<std::uint64_t> seeds;
    std::string error;
    for (const char* text :
         {"", ",", "7,", "a", "5-3", "1-", "-4", "1-2-3", " 7", "99999999999999999999"}) {
        EXPECT_FALSE(SoakSeeds::Parse(text, seeds, error)) << text;
        EXPECT_FALSE(error.empty()) << text;
    }
    // Not a range that takes days to list, nor one that wraps at the top.
    EXPECT_FALSE(SoakSeeds::Parse("0-18446744073709551615", seeds, error));
    EXPECT_FALSE(SoakSeeds::Parse("1-60000,70000-130000", seeds, error));
}

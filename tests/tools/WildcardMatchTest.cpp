#include "tools/common/WildcardMatch.h"

#include <gtest/gtest.h>

namespace logtools {
namespace {

TEST(WildcardMatch, MatchesStarsAndQuestionMarks) {
    EXPECT_TRUE(WildcardMatch::matches("*.CSV", "001_061206_081500.CSV"));
    EXPECT_FALSE(WildcardMatch::matches("*.CSV", "log.csv"));
    EXPECT_TRUE(WildcardMatch::matches("0??_*_*.C*", "001_061206_081500.CSV"));
    EXPECT_TRUE(WildcardMatch::matches("*", ""));
    EXPECT_TRUE(WildcardMatch::matches("a*b*c", "aXbYbZc"));
    EXPECT_FALSE(WildcardMatch::matches("a*b*c", "aXbYbZ"));
    EXPECT_FALSE(WildcardMatch::matches("?", ""));
    EXPECT_TRUE(WildcardMatch::matches("*a*a*a*a*", std::string(200, 'a')));
    EXPECT_FALSE(WildcardMatch::matches("*a*a*a*b", std::string(200, 'a')));
}

} // namespace
} // namespace logtools

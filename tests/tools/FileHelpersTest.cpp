#include "ToolRun.h"

#include "tools/common/FileAttributes.h"
#include "tools/common/WildcardMatch.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace logtools {
namespace {

using test::TempDir;
using test::writeFile;

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

TEST(WildcardMatch, PicksTheFirstNameInOrderAndKeepsTheFolder) {
    TempDir dir;
    writeFile(dir.file("b.CSV"), "");
    writeFile(dir.file("a_003.CSV"), "");
    writeFile(dir.file("a.CSV"), "");
    std::string path;
    ASSERT_TRUE(WildcardMatch::findFirst(dir.path() + "/*.CSV", path));
    EXPECT_EQ(path, dir.file("a.CSV"));
    ASSERT_TRUE(WildcardMatch::findFirst(dir.file("b.CSV"), path));
    EXPECT_EQ(path, dir.file("b.CSV"));
    EXPECT_FALSE(WildcardMatch::findFirst(dir.path() + "/*.TXT", path));
    EXPECT_FALSE(WildcardMatch::findFirst(dir.file("missing.CSV"), path));
    EXPECT_FALSE(WildcardMatch::findFirst(dir.path() + "/nowhere/*.CSV", path));
}

TEST(FileAttributes, ReadOnlyClearsEveryWriteBitAndClearingGivesTheOwnerWriteBack) {
    TempDir dir;
    const std::string file = dir.file("out.TXT");
    writeFile(file, "x");
    EXPECT_FALSE(FileAttributes::isReadOnly(file));
    ASSERT_TRUE(FileAttributes::setReadOnly(file));
    EXPECT_TRUE(FileAttributes::isReadOnly(file));
    EXPECT_FALSE(FileAttributes::mayReplace(file, dir.file("in.dat")));
    ASSERT_TRUE(FileAttributes::clearReadOnly(file));
    EXPECT_FALSE(FileAttributes::isReadOnly(file));
    EXPECT_TRUE(FileAttributes::mayReplace(file, dir.file("in.dat")));
    EXPECT_TRUE(FileAttributes::setHidden(file, true));
}

TEST(FileAttributes, KnowsAnInputUnderAnotherName) {
    TempDir dir;
    writeFile(dir.file("in.dat"), "x");
    ASSERT_EQ(::link(dir.file("in.dat").c_str(), dir.file("005.TXT").c_str()), 0);
    EXPECT_TRUE(FileAttributes::isSameFile(dir.file("005.TXT"), dir.file("in.dat")));
    EXPECT_FALSE(FileAttributes::mayReplace(dir.file("005.TXT"), dir.file("in.dat")));
    EXPECT_TRUE(FileAttributes::mayReplace(dir.file("007.TXT"), dir.file("in.dat")));
}

} // namespace
} // namespace logtools

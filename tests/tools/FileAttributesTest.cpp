// Read-only as the write permission bits, where there are no file attributes.

#include "ToolRun.h"

#include "base/FileAttributes.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace logtools {
namespace {

mode_t permissions(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

TEST(FileAttributes, ReadOnlyTakesEveryWriteBitAndClearingGivesTheOwnerOneBack) {
    test::TempDir dir;
    const std::string file = dir.file("003_061206_081500.CSV");
    test::writeFile(file, "x\r\n");
    ASSERT_EQ(::chmod(file.c_str(), 0664), 0);
    EXPECT_TRUE(FileAttributes::setReadOnly(file));
    EXPECT_EQ(permissions(file), 0444u);
    EXPECT_TRUE(FileAttributes::isReadOnly(file));
    EXPECT_TRUE(FileAttributes::clearReadOnly(file));
    EXPECT_EQ(permissions(file), 0644u);
    EXPECT_TRUE(FileAttributes::setHidden(file, true)) << "nothing to do, and no failure";
}

TEST(FileAttributes, AFolderOrAMissingFileKeepsItsPermissions) {
    test::TempDir dir;
    const std::string folder = dir.file("PC_Logs");
    ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
    ASSERT_EQ(::chmod(folder.c_str(), 0755), 0);
    EXPECT_FALSE(FileAttributes::setReadOnly(folder));
    EXPECT_EQ(permissions(folder), 0755u);
    EXPECT_FALSE(FileAttributes::setReadOnly(""));
    EXPECT_FALSE(FileAttributes::setReadOnly(dir.file("none.CSV")));
    EXPECT_FALSE(FileAttributes::clearReadOnly(dir.file("none.CSV")));
}

} // namespace
} // namespace logtools

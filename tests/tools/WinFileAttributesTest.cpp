// The converters' file attributes as Windows itself reports them.

#include "ToolRun.h"

#include "base/FileAttributes.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace logtools {
namespace {

bool has(const std::string& path, DWORD attribute) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & attribute) != 0;
}

TEST(WinFileAttributes, ReadOnlyAndHiddenAreTheFilesOwnAttributes) {
    test::TempDir dir;
    const std::string file = dir.file("001.TXT");
    test::writeFile(file, "x\r\n");
    EXPECT_TRUE(FileAttributes::setReadOnly(file));
    EXPECT_TRUE(has(file, FILE_ATTRIBUTE_READONLY));
    EXPECT_TRUE(FileAttributes::isReadOnly(file));
    EXPECT_FALSE(FileAttributes::mayReplace(file, dir.file("in.dat")));
    EXPECT_TRUE(FileAttributes::setHidden(file, true));
    EXPECT_TRUE(has(file, FILE_ATTRIBUTE_HIDDEN));
    EXPECT_TRUE(has(file, FILE_ATTRIBUTE_READONLY)) << "one attribute leaves the other alone";

    EXPECT_TRUE(FileAttributes::setHidden(file, false));
    EXPECT_TRUE(FileAttributes::clearReadOnly(file));
    EXPECT_FALSE(has(file, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY));
    EXPECT_TRUE(FileAttributes::mayReplace(file, dir.file("in.dat")));
}

TEST(WinFileAttributes, AMissingFileIsNeitherChangedNorReadOnly) {
    test::TempDir dir;
    const std::string missing = dir.file("none.TXT");
    EXPECT_FALSE(FileAttributes::setReadOnly(missing));
    EXPECT_FALSE(FileAttributes::setHidden(missing, true));
    EXPECT_FALSE(FileAttributes::isReadOnly(missing));
    EXPECT_FALSE(FileAttributes::exists(missing));
}

} // namespace
} // namespace logtools

// The PC log's attributes as Windows itself reports them.

#include "PcLogTestSupport.h"

#include "base/FileAttributes.h"

#include <gtest/gtest.h>

#include <windows.h>

using namespace pclogtest;

namespace {

DWORD Attributes(const std::string& path) {
    return GetFileAttributesA(path.c_str());
}

bool Has(const std::string& path, DWORD attribute) {
    const DWORD attributes = Attributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & attribute) != 0;
}

} // namespace

TEST(WinPcLogAttributes, HiddenWhileTheConnectionLastsReadOnlyAndVisibleAfterwards) {
    LoggingFarm f;
    f.Connect({2});
    f.Ticks(3);
    const std::string log = f.LogPath();
    ASSERT_NE(Attributes(log), INVALID_FILE_ATTRIBUTES) << log;
    EXPECT_TRUE(Has(log, FILE_ATTRIBUTE_HIDDEN));
    EXPECT_FALSE(Has(log, FILE_ATTRIBUTE_READONLY));
    f.Ticks(70); // a full minute of logging: the file is reopened and stays hidden
    EXPECT_TRUE(Has(log, FILE_ATTRIBUTE_HIDDEN));

    f.doc.fARMdISCONNECT(0);
    EXPECT_FALSE(Has(log, FILE_ATTRIBUTE_HIDDEN));
    EXPECT_TRUE(Has(log, FILE_ATTRIBUTE_READONLY));
    EXPECT_TRUE(IsReadOnly(log)); // as the C runtime sees it too

    // Windows refuses to delete a read-only file: give it back so the folder can go.
    EXPECT_TRUE(FileAttributes::clearReadOnly(log));
    EXPECT_FALSE(Has(log, FILE_ATTRIBUTE_READONLY));
}

TEST(WinPcLogAttributes, AttributesOfAMissingFileAreNotChanged) {
    EXPECT_FALSE(FileAttributes::setHidden("Z:\\no\\such\\folder\\log.csv", true));
    EXPECT_FALSE(FileAttributes::setReadOnly("Z:\\no\\such\\folder\\log.csv"));
}

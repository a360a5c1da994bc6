#include "ToolRun.h"
#include "base/PcLogLine.h"
#include "tools/common/CsvSplitTool.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace logtools {
namespace {

using test::fileExists;
using test::listFolder;
using test::readFile;
using test::runTool;
using test::TempDir;
using test::writeFile;

const std::string kLogcsv = LOGCSV_PROGRAM;
const std::string kLogdumpsplit = LOGDUMPSPLIT_PROGRAM;
const std::string kLog = "001_061206_081500.CSV";
const std::string kDumpHeading = "   [1=Alarm (40=Low, 50=None, 60=High), 2=Dry1, 3=Wet1, "
                                 "4=N/A]\r\nALRM, DRY1, WET1, NULL. \r\n";

std::string dataLine(int unit, int minute, int rtd = 56) {
    return PcLogLine::stamp(12, 6, 6, 8, minute, 0) +
           PcLogLine::fields(unit, true, rtd, 57, 55, 61);
}

std::string run(const std::string& tool, TempDir& dir, const std::string& input,
                const std::string& argument = kLog) {
    writeFile(dir.file(kLog), input);
    const std::string console = runTool(tool, {argument}, dir.path());
    EXPECT_EQ(readFile(dir.file(kLog)), input);
    return console;
}

bool isReadOnly(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && (info.st_mode & 0222) == 0;
}

TEST(LogCsv, SplitsUnitsInUnitOrderUnderTheDescriptor) {
    TempDir dir;
    const std::string descriptor = "Kiln farm 1, charge 17 of the night shift, long enough to "
                                   "pass the old 49-character line limit";
    const std::string input = descriptor + "\r\n" + dataLine(3, 16) + "\r\n" + dataLine(1, 16) +
                              "\r\n" + dataLine(3, 17) + "\r\n";
    EXPECT_EQ(run(kLogcsv, dir, input), "001_061206_081500_001.CSV\n001_061206_081500_003.CSV\n");
    EXPECT_EQ(readFile(dir.file("001_061206_081500_001.CSV")),
              descriptor + "\r\n" + dataLine(1, 16) + "\r\n");
    EXPECT_EQ(readFile(dir.file("001_061206_081500_003.CSV")),
              descriptor + "\r\n" + dataLine(3, 16) + "\r\n" + dataLine(3, 17) + "\r\n");
    EXPECT_TRUE(isReadOnly(dir.file("001_061206_081500_003.CSV")));
}

TEST(LogCsv, FindsAUnitFieldEndingExactlyInColumn30AndCutsOneReachingPastIt) {
    TempDir dir;
    // Empty pieces push field 3 to start in column 28: "007" ends in column 30 (index 29).
    const std::string endsAt30 = "12/06/06,08:16:00,,,,,,,,,,007,1";
    ASSERT_EQ(endsAt30.find("007") + 3, 30u);
    // "0077" reaches column 31: the whole line counts unit 77, but only "007" is looked at
    // when writing, so the line goes to unit 7's file and unit 77's holds just the header.
    const std::string reachesPast = "12/06/06,08:17:00,,,,,,,,,,0077,1";
    EXPECT_EQ(CsvSplitTool::unitForWriting(endsAt30, CsvSplitTool::Style::Csv), 7);
    EXPECT_EQ(CsvSplitTool::unitForWriting(reachesPast, CsvSplitTool::Style::Csv), 7);

    EXPECT_EQ(run(kLogcsv, dir, "H\r\n" + endsAt30 + "\r\n" + reachesPast + "\r\n"),
              "001_061206_081500_007.CSV\n001_061206_081500_077.CSV\n");
    EXPECT_EQ(readFile(dir.file("001_061206_081500_007.CSV")),
              "H\r\n" + endsAt30 + "\r\n" + reachesPast + "\r\n");
    EXPECT_EQ(readFile(dir.file("001_061206_081500_077.CSV")), "H\r\n");
}

TEST(LogCsv, CopiesATrailerWhenThereIsNoHeader) {
    TempDir dir;
    // Lines ending in a lone LF, and a last line without any end.
    run(kLogcsv, dir, dataLine(2, 1) + "\n" + dataLine(2, 2) + "\nEnd of session, 002, x");
    EXPECT_EQ(readFile(dir.file("001_061206_081500_002.CSV")),
              dataLine(2, 1) + "\r\n" + dataLine(2, 2) + "\r\nEnd of session, 002, x\r\n");
}

TEST(LogCsv, WithHeaderAndTrailerTheTrailerIsAnOrdinaryLine) {
    TempDir dir;
    run(kLogcsv, dir, "Header\r\n" + dataLine(4, 1) + "\r\nTrailer\r\n");
    EXPECT_EQ(readFile(dir.file("001_061206_081500_004.CSV")),
              "Header\r\n" + dataLine(4, 1) + "\r\n");
}

TEST(LogCsv, RunsAgainOverItsOwnReadOnlyOutputs) {
    TempDir dir;
    run(kLogcsv, dir, "H\r\n" + dataLine(5, 1) + "\r\n");
    ASSERT_TRUE(isReadOnly(dir.file("001_061206_081500_005.CSV")));
    EXPECT_EQ(run(kLogcsv, dir, "H2\r\n" + dataLine(5, 2) + "\r\n"), "001_061206_081500_005.CSV\n");
    EXPECT_EQ(readFile(dir.file("001_061206_081500_005.CSV")), "H2\r\n" + dataLine(5, 2) + "\r\n");
    EXPECT_TRUE(isReadOnly(dir.file("001_061206_081500_005.CSV")));
}

TEST(LogCsv, NamePatternPicksTheFirstMatchOnly) {
    TempDir dir;
    writeFile(dir.file("002_061207_000000.CSV"), dataLine(8, 1) + "\r\n");
    EXPECT_EQ(run(kLogcsv, dir, dataLine(6, 1) + "\r\n", "*.CSV"), "001_061206_081500_006.CSV\n");
    EXPECT_FALSE(fileExists(dir.file("002_061207_000000_008.CSV")));
    EXPECT_EQ(runTool(kLogcsv, {"*.TXT"}, dir.path()),
              "ERROR: Unable to find a matching file name\n");
}

TEST(LogCsv, ReportsUsageAndAMissingLog) {
    TempDir dir;
    EXPECT_EQ(runTool(kLogcsv, {}, dir.path()), "USAGE:  logcsv <input_file>\n");
    EXPECT_EQ(runTool(kLogdumpsplit, {}, dir.path()), "USAGE:  logdumpsplit <input_file>\n");
    EXPECT_EQ(runTool(kLogdumpsplit, {"missing.CSV"}, dir.path()),
              "ERROR: Unable to find a matching file name\n");
    std::filesystem::create_directory(dir.file("folder.CSV"));
    EXPECT_EQ(runTool(kLogcsv, {"folder.CSV"}, dir.path()), "ERROR: Unable to open folder.CSV\n");
}

TEST(LogCsv, EmptyOrUnitlessLogsWriteNothing) {
    TempDir dir;
    EXPECT_EQ(run(kLogcsv, dir, ""),
              "WARNING: The file '001_061206_081500.CSV' holds no line of any unit\n");
    EXPECT_EQ(run(kLogdumpsplit, dir, "Only a descriptor\r\n"),
              "WARNING: The file '001_061206_081500.CSV' holds no line of any unit\n");
    // Units outside 1-256 have no file; 256 does.
    EXPECT_EQ(run(kLogcsv, dir,
                  "H\r\n" + dataLine(0, 1) +
                      "\r\n12/06/06,08:01:00,257,1\r\n"
                      "12/06/06,08:01:00,-3,1\r\n12/06/06,08:01:00,99999999999999,1\r\n"
                      "12/06/06,08:01:00,256,1\r\n"),
              "001_061206_081500_256.CSV\n");
    EXPECT_EQ(listFolder(dir.path()),
              (std::vector<std::string>{kLog, "001_061206_081500_256.CSV"}));
}

TEST(LogCsv, SurvivesBinaryGarbageAndAHugeLineWithoutEnd) {
    TempDir dir;
    std::string garbage = "H\r\n" + dataLine(9, 1) + "\r\n";
    for (int i = 0; i < 4000; ++i) {
        garbage += static_cast<char>((i * 7919) % 256);
    }
    garbage += std::string("\0\0,\0,9,\0\r\n", 11) + dataLine(9, 2) + "\r\n";
    garbage += std::string(10 << 20, 'z');
    EXPECT_EQ(run(kLogcsv, dir, garbage), "001_061206_081500_009.CSV\n");
    const std::string out = readFile(dir.file("001_061206_081500_009.CSV"));
    EXPECT_EQ(out.substr(0, 3), "H\r\n");
    EXPECT_NE(out.find(dataLine(9, 2) + "\r\n"), std::string::npos);
    EXPECT_EQ(run(kLogdumpsplit, dir, garbage), "001_061206_081500_009.TXT\n");
}

TEST(LogCsv, ReportsAnOutputItCannotOpenAndWritesTheOthers) {
    TempDir dir;
    // A folder in the output's place stops the administrator too.
    std::filesystem::create_directory(dir.file("001_061206_081500_001.CSV"));
    EXPECT_EQ(run(kLogcsv, dir, "H\r\n" + dataLine(1, 1) + "\r\n" + dataLine(2, 1) + "\r\n"),
              "001_061206_081500_001.CSV\nERROR: Unable to open 001_061206_081500_001.CSV\n"
              "001_061206_081500_002.CSV\nERROR: 1 line could not be written\n");
    EXPECT_EQ(readFile(dir.file("001_061206_081500_002.CSV")), "H\r\n" + dataLine(2, 1) + "\r\n");
}

TEST(LogCsv, ReportsAFolderItMayNotWriteTo) {
#if defined(_WIN32)
    GTEST_SKIP() << "a folder's mode bits do not keep writers out on Windows";
#else
    if (::geteuid() == 0) {
        GTEST_SKIP() << "the administrator may write to any folder";
    }
#endif
    TempDir dir;
    writeFile(dir.file(kLog), "H\r\n" + dataLine(1, 1) + "\r\n");
    ::chmod(dir.path().c_str(), 0555);
    EXPECT_EQ(runTool(kLogcsv, {kLog}, dir.path()),
              "001_061206_081500_001.CSV\nERROR: Unable to open 001_061206_081500_001.CSV\n"
              "ERROR: 1 line could not be written\n");
    ::chmod(dir.path().c_str(), 0755);
}

TEST(LogCsv, ShortNamesAndNamesWithSpaces) {
    TempDir dir;
    writeFile(dir.file("ab"), dataLine(1, 1) + "\r\n");
    EXPECT_EQ(runTool(kLogcsv, {"ab"}, dir.path()), "_001.CSV\n");
    writeFile(dir.file("night shift.CSV"), dataLine(1, 1) + "\r\n");
    EXPECT_EQ(runTool(kLogdumpsplit, {"night shift.CSV"}, dir.path()), "night shift_001.TXT\n");
    EXPECT_TRUE(fileExists(dir.file("night shift_001.TXT")));
}

TEST(LogDumpSplit, WritesAHeadingFromTheUnitsFirstLine) {
    TempDir dir;
    run(kLogdumpsplit, dir,
        "Farm\r\n12/06/06,08:16:00,003,58, 56, 57, 55, 61\r\n" + dataLine(4, 1) +
            "\r\n12/06/06,08:17:00,003,58, 50, 51, 55, 61\r\nTrailer, is, 3\r\n");
    EXPECT_EQ(
        readFile(dir.file("001_061206_081500_003.TXT")),
        "\r\nDUMP: 06DEC06 08:16" + kDumpHeading +
            "00058 00056 00057 00000 \r\n00058 00050 00051 00000 \r\n00000 00000 00000 00000 \r\n");
    EXPECT_TRUE(isReadOnly(dir.file("001_061206_081500_004.TXT")));
}

} // namespace
} // namespace logtools

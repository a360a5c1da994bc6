// How the five converters end when something goes wrong: a message on the console, exit status
// 1, and nothing partly written under an output's name where it can be helped. Full disks are
// played by a file size limit on the converter's process (its writes fail with EFBIG, as with
// ENOSPC) or by an output that leads to /dev/full.

#include "RecordTestData.h"
#include "ToolRun.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace logtools {
namespace {

using test::encodeRecord;
using test::listFolder;
using test::readFile;
using test::runToolForResult;
using test::TempDir;
using test::writeFile;

const std::string kLogsort = LOGSORT_PROGRAM;
const std::string kLogsplit = LOGSPLIT_PROGRAM;
const std::string kLogdump = LOGDUMP_PROGRAM;
const std::string kLogcsv = LOGCSV_PROGRAM;
const std::string kLogdumpsplit = LOGDUMPSPLIT_PROGRAM;
const std::vector<std::string> kAllTools = {kLogsort, kLogsplit, kLogdump, kLogcsv, kLogdumpsplit};

std::string records(int unit, int count) {
    std::string bytes;
    for (int i = 0; i < count; ++i) {
        bytes += encodeRecord({unit, static_cast<std::uint32_t>(i), 0, 100 + i, 50, 0, true});
    }
    return bytes;
}

std::string csvLines(int unit, int count) {
    std::string text = "Kiln farm 1\r\n";
    for (int i = 0; i < count; ++i) {
        text += "12/06/06,08:" + std::to_string(10 + i % 50) + ":00," + std::to_string(unit) +
                ",58, 56, 57, 55, 61\r\n";
    }
    return text;
}

std::vector<std::string> inputArgs(const std::string& tool, const std::string& input) {
    if (tool == kLogsort) {
        return {input, "out.dat"};
    }
    return {input};
}

TEST(ConverterCommandLine, HelpPrintsTheUsageAndWhatTheToolDoesAndTouchesNothing) {
    for (const std::string& tool : kAllTools) {
        for (const char* flag : {"--help", "-h"}) {
            TempDir dir;
            const auto result = runToolForResult(tool, {flag}, dir.path());
            EXPECT_EQ(result.status, 0) << tool << " " << flag;
            EXPECT_EQ(result.output.rfind("USAGE:  ", 0), 0u) << result.output;
            // The usage line, then one sentence.
            const std::size_t usageEnd = result.output.find('\n');
            ASSERT_NE(usageEnd, std::string::npos);
            EXPECT_GT(result.output.size(), usageEnd + 20) << result.output;
            EXPECT_EQ(result.output.back(), '\n');
            EXPECT_TRUE(listFolder(dir.path()).empty()) << tool;
        }
    }
}

TEST(ConverterCommandLine, UsageAndMissingOrFolderInputsEndWithStatusOne) {
    for (const std::string& tool : kAllTools) {
        TempDir dir;
        EXPECT_EQ(runToolForResult(tool, {}, dir.path()).status, 1) << tool;
        const auto missing = runToolForResult(tool, inputArgs(tool, "gone.dat"), dir.path());
        EXPECT_EQ(missing.status, 1) << tool;
        EXPECT_EQ(missing.output, tool == kLogcsv || tool == kLogdumpsplit
                                      ? "ERROR: Unable to find a matching file name\n"
                                      : "ERROR: The file 'gone.dat' does NOT exist\n");

        std::filesystem::create_directory(dir.file("folder.dat"));
        const auto folder = runToolForResult(tool, inputArgs(tool, "folder.dat"), dir.path());
        EXPECT_EQ(folder.status, 1) << tool;
        EXPECT_EQ(folder.output, tool == kLogcsv || tool == kLogdumpsplit
                                     ? "ERROR: Unable to open folder.dat\n"
                                     : "ERROR: 'folder.dat' is a folder, not a log data file\n");
        EXPECT_EQ(listFolder(dir.path()), std::vector<std::string>{"folder.dat"}) << tool;
    }
}

TEST(ConverterCommandLine, EmptyAndShortInputsAreNamedAndStillSucceed) {
    for (const std::string& tool : {kLogsort, kLogsplit, kLogdump}) {
        for (const std::string& content : {std::string(), std::string("123456789")}) {
            TempDir dir;
            writeFile(dir.file("in.dat"), content);
            const auto result = runToolForResult(tool, inputArgs(tool, "in.dat"), dir.path());
            EXPECT_EQ(result.status, 0) << tool;
            EXPECT_EQ(result.output, "WARNING: The file 'in.dat' holds no whole record (" +
                                         std::to_string(content.size()) + " bytes)\n");
        }
    }
    for (const std::string& tool : {kLogcsv, kLogdumpsplit}) {
        TempDir dir;
        writeFile(dir.file("log.CSV"), "");
        const auto result = runToolForResult(tool, {"log.CSV"}, dir.path());
        EXPECT_EQ(result.status, 0) << tool;
        EXPECT_EQ(result.output, "WARNING: The file 'log.CSV' holds no line of any unit\n");
    }
}

TEST(LogSortFailures, AFullDiskLeavesTheOldOutputAndNoPartFile) {
    TempDir dir;
    writeFile(dir.file("in.dat"), records(3, 2000) + records(1, 2000));
    writeFile(dir.file("out.dat"), "the previous sort");
    const auto result = runToolForResult(kLogsort, {"in.dat", "out.dat"}, dir.path(), 4096);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.output, "ERROR: Unable to write out.dat\n");
    EXPECT_EQ(readFile(dir.file("out.dat")), "the previous sort");
    EXPECT_EQ(listFolder(dir.path()), (std::vector<std::string>{"in.dat", "out.dat"}));
}

TEST(LogSortFailures, ReplacesALinksTargetAndWritesIntoAPipeWithoutReplacingEither) {
    TempDir dir;
    writeFile(dir.file("in.dat"), records(2, 1) + records(1, 1));
    const std::string sorted = records(1, 1) + records(2, 1);
    writeFile(dir.file("target.dat"), "old");
    std::filesystem::create_symlink("target.dat", dir.file("link.dat"));
    EXPECT_EQ(runToolForResult(kLogsort, {"in.dat", "link.dat"}, dir.path()).status, 0);
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("link.dat")));
    EXPECT_EQ(readFile(dir.file("target.dat")), sorted);

    // A pipe (like a device) is written in place: a rename would put a file where it was.
    ASSERT_EQ(::mkfifo(dir.file("pipe").c_str(), 0600), 0);
    const int reader = ::open(dir.file("pipe").c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    EXPECT_EQ(runToolForResult(kLogsort, {"in.dat", "pipe"}, dir.path()).status, 0);
    char bytes[64] = {};
    EXPECT_EQ(::read(reader, bytes, sizeof bytes), static_cast<ssize_t>(sorted.size()));
    ::close(reader);
    EXPECT_EQ(std::string(bytes, sorted.size()), sorted);
    EXPECT_TRUE(std::filesystem::is_fifo(dir.file("pipe")));
}

TEST(LogSortFailures, AnOutputThatCannotBeOpenedIsNamed) {
    TempDir dir;
    writeFile(dir.file("in.dat"), records(1, 1));
    const auto result = runToolForResult(kLogsort, {"in.dat", "in.dat/out.dat"}, dir.path());
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.output, "ERROR: Unable to open in.dat/out.dat\n");
}

TEST(LogSplitFailures, AUnitFileThatCannotBeOpenedIsNamedAndItsLinesCounted) {
    for (const std::string& tool : {kLogsplit, kLogdump}) {
        TempDir dir;
        std::filesystem::create_directory(dir.file("002.TXT")); // in the way, for root too
        writeFile(dir.file("in.dat"), records(1, 3) + records(2, 4) + records(3, 1));
        const auto result = runToolForResult(tool, {"in.dat"}, dir.path());
        EXPECT_EQ(result.status, 1) << tool;
        EXPECT_EQ(result.output, "BUILDING: 001.TXT\nERROR: Unable to open 002.TXT\n"
                                 "BUILDING: 003.TXT\nERROR: 4 of 8 lines could not be written\n");
        EXPECT_NE(readFile(dir.file("003.TXT")), "");
    }
}

TEST(LogSplitFailures, AFullDiskIsReportedPerFileWithTheLinesLost) {
    TempDir dir;
    writeFile(dir.file("in.dat"), records(1, 2) + records(2, 3));
    std::filesystem::create_symlink("/dev/full", dir.file("002.TXT"));
    const auto full = runToolForResult(kLogsplit, {"in.dat"}, dir.path());
    EXPECT_EQ(full.status, 1);
    EXPECT_EQ(full.output, "BUILDING: 001.TXT\nBUILDING: 002.TXT\nERROR: Unable to write "
                           "002.TXT\nERROR: 3 of 5 lines could not be written\n");

    TempDir limited;
    writeFile(limited.file("in.dat"), records(7, 5000));
    const auto result = runToolForResult(kLogdump, {"in.dat"}, limited.path(), 8192);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.output, "BUILDING: 007.TXT\nERROR: Unable to write 007.TXT\n"
                             "ERROR: 5000 of 5000 lines could not be written\n");
}

TEST(LogCsvFailures, AFullDiskIsReportedPerFileWithTheLinesLost) {
    for (const std::string& tool : {kLogcsv, kLogdumpsplit}) {
        TempDir dir;
        writeFile(dir.file("log.CSV"), csvLines(4, 3000));
        const auto result = runToolForResult(tool, {"log.CSV"}, dir.path(), 8192);
        const std::string name = tool == kLogcsv ? "log_004.CSV" : "log_004.TXT";
        EXPECT_EQ(result.status, 1) << tool;
        EXPECT_EQ(result.output, name + "\nERROR: Unable to write " + name +
                                     "\nERROR: 3000 lines could not be written\n");
    }
}

TEST(LogCsvFailures, AnOutputThatCannotBeOpenedCountsItsLines) {
    TempDir dir;
    writeFile(dir.file("log.CSV"), csvLines(4, 5) + csvLines(5, 2).substr(13));
    std::filesystem::create_directory(dir.file("log_004.CSV"));
    const auto result = runToolForResult(kLogcsv, {"log.CSV"}, dir.path());
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.output, "log_004.CSV\nERROR: Unable to open log_004.CSV\nlog_005.CSV\n"
                             "ERROR: 5 lines could not be written\n");
}

} // namespace
} // namespace logtools

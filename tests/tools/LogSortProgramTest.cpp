#include "RecordTestData.h"
#include "ToolRun.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <sys/stat.h>

namespace logtools {
namespace {

using test::encodeRecord;
using test::readFile;
using test::runTool;
using test::TempDir;
using test::writeFile;

const std::string kLogsort = LOGSORT_PROGRAM;

std::string record(int unit, std::uint32_t time, int tail = 0) {
    return encodeRecord({unit, time, 0, 100, 50, tail, false});
}

std::string sortFile(TempDir& dir, const std::string& input, std::string* console = nullptr) {
    writeFile(dir.file("in.dat"), input);
    const std::string printed = runTool(kLogsort, {"in.dat", "out.dat"}, dir.path());
    if (console != nullptr) {
        *console = printed;
    }
    EXPECT_EQ(readFile(dir.file("in.dat")), input);
    return readFile(dir.file("out.dat"));
}

TEST(LogSort, OrdersByUnitThenTimeAndDropsRepeatedRecords) {
    TempDir dir;
    const std::string a = record(3, 10);
    const std::string b = record(3, 11);
    std::string console;
    EXPECT_EQ(sortFile(dir, a + b + a, &console), a + b);
    EXPECT_EQ(console, "");
    // Records differing only in the last byte are both kept, in byte order.
    EXPECT_EQ(sortFile(dir, record(1, 5, 9) + record(1, 5, 8)), record(1, 5, 8) + record(1, 5, 9));
    // Zero bytes are data like any other.
    const std::string zeros(10, '\0');
    EXPECT_EQ(sortFile(dir, zeros + zeros), zeros);
}

TEST(LogSort, IgnoresAPartialLastRecord) {
    TempDir dir;
    const std::string input = record(9, 1) + record(2, 1) + record(5, 1) + "\x01\x02\x03\x04\x05";
    ASSERT_EQ(input.size(), 35u);
    EXPECT_EQ(sortFile(dir, input), record(2, 1) + record(5, 1) + record(9, 1));
}

TEST(LogSort, OutputIsSortedDistinctAndDrawnFromTheInput) {
    std::mt19937 random(11);
    std::string input;
    std::set<std::string> inputRecords;
    for (int i = 0; i < 20000; ++i) {
        std::string r = encodeRecord({static_cast<int>(random() % 256),
                                      static_cast<std::uint32_t>(i / 254 + random() % 3),
                                      static_cast<int>(random() % 4), 0, 0,
                                      static_cast<int>(random() % 4), random() % 2 == 0});
        if (random() % 20 == 0) {
            r[5] = static_cast<char>(random()); // arbitrary bytes in unused bits too
        }
        inputRecords.insert(r);
        input += r;
        if (random() % 30 == 0) {
            input += r;
        }
    }
    TempDir dir;
    const std::string output = sortFile(dir, input);
    ASSERT_EQ(output.size() % 10, 0u);
    EXPECT_EQ(output.size() / 10, inputRecords.size());
    for (std::size_t i = 0; i < output.size(); i += 10) {
        EXPECT_TRUE(inputRecords.count(output.substr(i, 10)) == 1);
        if (i > 0) {
            ASSERT_LT(output.compare(i - 10, 10, output, i, 10), 0) << "at record " << i / 10;
        }
    }
}

TEST(LogSort, EmptyInputLeavesAnEmptyOutputAndAnExistingOutputIsReplaced) {
    TempDir dir;
    writeFile(dir.file("out.dat"), "previous content");
    EXPECT_EQ(sortFile(dir, ""), "");
    writeFile(dir.file("out.dat"), std::string(1000, 'x'));
    EXPECT_EQ(sortFile(dir, record(1, 1)), record(1, 1));
}

TEST(LogSort, ReportsUsageAndMissingInput) {
    TempDir dir;
    EXPECT_EQ(runTool(kLogsort, {"only-one"}, dir.path()),
              "USAGE:  logsort <input_file> <output_file>\n");
    EXPECT_EQ(runTool(kLogsort, {"no such.dat", "out.dat"}, dir.path()),
              "ERROR: The file 'no such.dat' does NOT exist\n");
    EXPECT_FALSE(test::fileExists(dir.file("out.dat")));
}

TEST(LogSort, NeverDestroysItsInput) {
    TempDir dir;
    const std::string input = record(2, 1) + record(1, 1);
    writeFile(dir.file("in put.dat"), input);

    // The same file under its own or another name.
    EXPECT_NE(runTool(kLogsort, {"in put.dat", "./in put.dat"}, dir.path()), "");
    EXPECT_EQ(readFile(dir.file("in put.dat")), input);

    // A read-only output is left alone, administrator or not.
    writeFile(dir.file("locked.dat"), "keep");
    ::chmod(dir.file("locked.dat").c_str(), 0444);
    EXPECT_EQ(runTool(kLogsort, {"in put.dat", "locked.dat"}, dir.path()),
              "ERROR: Unable to open locked.dat\n");
    EXPECT_EQ(readFile(dir.file("locked.dat")), "keep");

    // An output that cannot be created, even by the administrator: its folder is a file.
    EXPECT_EQ(runTool(kLogsort, {"in put.dat", "in put.dat/out.dat"}, dir.path()),
              "ERROR: Unable to open in put.dat/out.dat\n");
    EXPECT_EQ(readFile(dir.file("in put.dat")), input);

    EXPECT_EQ(runTool(kLogsort, {"in put.dat", "sorted out.dat"}, dir.path()), "");
    EXPECT_EQ(readFile(dir.file("sorted out.dat")), record(1, 1) + record(2, 1));
}

TEST(LogSort, ReportsAFileTooLargeForMemory) {
#if defined(_WIN32)
    GTEST_SKIP() << "Windows commits memory as it is asked for; a sparse terabyte is no test there";
#endif
    std::ifstream policy("/proc/sys/vm/overcommit_memory");
    int overcommit = -1;
    policy >> overcommit;
    if (overcommit != 0) {
        GTEST_SKIP() << "only the kernel's heuristic overcommit refuses an oversized block";
    }
    TempDir dir;
    // A sparse terabyte: no disk space used, far more than the memory of any test machine.
    const std::string big = dir.file("big.dat");
    writeFile(big, "");
    std::filesystem::resize_file(big, 1ull << 40);
    EXPECT_EQ(runTool(kLogsort, {"big.dat", "out.dat"}, dir.path()),
              "ERROR: Unable to ALLOCATE " + std::to_string((1ull << 40) / 10 * 10 + 1) +
                  " bytes\n"); // whole records and one byte more
    EXPECT_EQ(readFile(dir.file("out.dat")), "");
}

} // namespace
} // namespace logtools

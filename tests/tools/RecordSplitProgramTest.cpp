#include "RecordTestData.h"
#include "ToolRun.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <random>
#include <sstream>
#include <sys/stat.h>

namespace logtools {
namespace {

using test::encodeRecord;
using test::readFile;
using test::RecordFields;
using test::runTool;
using test::TempDir;
using test::timeCountOf;
using test::writeFile;

const std::string kLogsplit = LOGSPLIT_PROGRAM;
const std::string kLogdump = LOGDUMP_PROGRAM;
const std::string kDumpLegend =
    "   [1=Alarm (30=Off, 40=Low, 50=None, 60=High), 2=Dry, 3=Wet1, 4=Wet2]\r\n"
    "ALRM, DRY,  WET1, WET2.\r\n";

std::string unitRecord(int unit, int minutes, int dry = 0) {
    return encodeRecord({unit, static_cast<std::uint32_t>(minutes / 10), 0, dry, 0, 0, true});
}

std::string split(const std::string& tool, TempDir& dir, const std::string& input,
                  const std::string& name = "in.dat") {
    writeFile(dir.file(name), input);
    const std::string console = runTool(tool, {name}, dir.path());
    EXPECT_EQ(readFile(dir.file(name)), input);
    return console;
}

TEST(LogSplit, WritesTheStationExampleRecordInBothStyles) {
    TempDir dir;
    const std::string example("\x05\x00\x00\x01\x00\xC8\x00\x64\x01\xF4", 10);
    EXPECT_EQ(split(kLogsplit, dir, example), "BUILDING: 005.TXT\n");
    EXPECT_EQ(readFile(dir.file("005.TXT")), "01/01/00,00:00:00,005,60,10,5,25\r\n");
    EXPECT_EQ(split(kLogdump, dir, example), "BUILDING: 005.TXT\n");
    EXPECT_EQ(readFile(dir.file("005.TXT")),
              "\r\nDUMP: 01JAN00 00:00" + kDumpLegend + "00060 00010 00005 00025 \r\n");
}

TEST(LogSplit, DumpHeadingShowsTheUnitsFirstRecord) {
    TempDir dir;
    const std::uint32_t t = timeCountOf(4, 12, 6, 14, 30);
    split(kLogdump, dir,
          encodeRecord({9, t, 3, 15, 14, 5, true}) + encodeRecord({9, t + 1, 0, 0, 0, 0, false}));
    EXPECT_EQ(readFile(dir.file("009.TXT")), "\r\nDUMP: 06DEC04 14:30" + kDumpLegend +
                                                 "00030 00002 00001 00001 \r\n"
                                                 "00050 00000 00000 00000 \r\n");
}

TEST(LogSplit, GivesEachUnitRunAFileOfItsOwn) {
    TempDir dir;
    EXPECT_EQ(split(kLogsplit, dir, unitRecord(3, 0) + unitRecord(3, 10) + unitRecord(7, 0)),
              "BUILDING: 003.TXT\nBUILDING: 007.TXT\n");
    EXPECT_EQ(readFile(dir.file("003.TXT")),
              "01/01/00,00:00:00,003,50,0,0\r\n01/01/00,00:10:00,003,50,0,0\r\n");
    EXPECT_EQ(readFile(dir.file("007.TXT")), "01/01/00,00:00:00,007,50,0,0\r\n");
}

TEST(LogSplit, RestartsAUnitsFileWhenTheUnitComesBack) {
    for (const std::string& tool : {kLogsplit, kLogdump}) {
        TempDir dir;
        // Enough lines that the first run of unit 3 reaches the file before it is restarted.
        std::string input;
        for (int i = 0; i < 5000; ++i) {
            input += unitRecord(3, i * 10, 1);
        }
        input += unitRecord(7, 0) + unitRecord(3, 0, 990);
        EXPECT_EQ(split(tool, dir, input),
                  "BUILDING: 003.TXT\nBUILDING: 007.TXT\nBUILDING: 003.TXT\n");
        const std::string unit3 = readFile(dir.file("003.TXT"));
        EXPECT_NE(unit3.find(tool == kLogsplit ? ",003,50,99,0\r\n" : " 00099 "),
                  std::string::npos);
        EXPECT_LT(unit3.size(), 200u) << tool;
    }
}

TEST(LogSplit, WritesLeadingUnitZeroRecordsToTheirOwnFile) {
    TempDir dir;
    EXPECT_EQ(split(kLogsplit, dir, unitRecord(0, 0) + unitRecord(0, 10) + unitRecord(1, 0)),
              "BUILDING: 000.TXT\nBUILDING: 001.TXT\n");
    EXPECT_EQ(readFile(dir.file("000.TXT")),
              "01/01/00,00:00:00,000,50,0,0\r\n01/01/00,00:10:00,000,50,0,0\r\n");
}

TEST(LogSplit, ReadsOnlyWholeRecordsAndNothingFromAnEmptyFile) {
    TempDir dir;
    EXPECT_EQ(split(kLogsplit, dir, unitRecord(1, 0) + unitRecord(2, 0) + "12345"),
              "BUILDING: 001.TXT\nBUILDING: 002.TXT\n");
    TempDir empty;
    EXPECT_EQ(split(kLogdump, empty, ""),
              "WARNING: The file 'in.dat' holds no whole record (0 bytes)\n");
    EXPECT_EQ(test::listFolder(empty.path()), std::vector<std::string>{"in.dat"});
}

TEST(LogSplit, ReportsUsageAndMissingInput) {
    TempDir dir;
    EXPECT_EQ(runTool(kLogsplit, {}, dir.path()), "USAGE:  logsplit <input_file>\n");
    EXPECT_EQ(runTool(kLogdump, {}, dir.path()), "USAGE:  logdump <input_file>\n");
    EXPECT_EQ(runTool(kLogdump, {"gone.dat"}, dir.path()),
              "ERROR: The file 'gone.dat' does NOT exist\n");
}

TEST(LogSplit, ReplacesOldUnitFilesButLeavesProtectedOnesAlone) {
    TempDir dir;
    writeFile(dir.file("001.TXT"), std::string(500, 'o'));
    writeFile(dir.file("002.TXT"), "read-only");
    ::chmod(dir.file("002.TXT").c_str(), 0444);
    std::filesystem::create_directory(dir.file("003.TXT"));
    const std::string input = unitRecord(1, 0) + unitRecord(2, 0) + unitRecord(3, 0) +
                              unitRecord(5, 0) + unitRecord(6, 0);
    // The input itself carries a unit file's name and must survive.
    EXPECT_EQ(split(kLogsplit, dir, input, "005.TXT"),
              "BUILDING: 001.TXT\nERROR: Unable to open 002.TXT\nERROR: Unable to open 003.TXT\n"
              "ERROR: Unable to open 005.TXT\nBUILDING: 006.TXT\n"
              "ERROR: 3 of 5 lines could not be written\n");
    EXPECT_EQ(readFile(dir.file("001.TXT")), "01/01/00,00:00:00,001,50,0,0\r\n");
    EXPECT_EQ(readFile(dir.file("002.TXT")), "read-only");
    EXPECT_EQ(readFile(dir.file("006.TXT")), "01/01/00,00:00:00,006,50,0,0\r\n");
}

TEST(LogSplit, LinesDecodeBackToTheRecords) {
    std::mt19937 random(29);
    std::vector<RecordFields> records;
    std::string input;
    for (int unit = 0; unit < 256; unit += 1 + static_cast<int>(random() % 40)) {
        std::uint32_t t = static_cast<std::uint32_t>(random() % 4000000);
        for (int i = 0; i < 20; ++i) {
            t += static_cast<std::uint32_t>(random() % 3000);
            records.push_back({unit, t, static_cast<int>(random() % 4),
                               static_cast<int>(random() % 4096),
                               static_cast<int>(random() % 16384),
                               static_cast<int>(random() % 32768), random() % 3 == 0});
            input += encodeRecord(records.back());
        }
    }
    TempDir csvDir;
    TempDir dumpDir;
    split(kLogsplit, csvDir, input);
    split(kLogdump, dumpDir, input);
    const int codes[4] = {50, 60, 40, 30};
    std::map<int, std::pair<std::istringstream, std::istringstream>> files;
    for (const RecordFields& f : records) {
        const bool firstOfUnit = files.count(f.unit) == 0;
        auto& [csv, dump] = files[f.unit];
        std::string line;
        if (firstOfUnit) {
            char name[16];
            std::snprintf(name, sizeof name, "%03d.TXT", f.unit);
            csv.str(readFile(csvDir.file(name)));
            dump.str(readFile(dumpDir.file(name)));
            for (int i = 0; i < 3; ++i) {
                std::getline(dump, line); // empty line, heading, column line
            }
        }
        ASSERT_TRUE(std::getline(csv, line));
        int mo, d, y, h, mi, s, u, code, dry, wet1, wet2 = -1;
        ASSERT_EQ(std::sscanf(line.c_str(), "%d/%d/%d,%d:%d:%d,%d,%d,%d,%d,%d", &mo, &d, &y, &h,
                              &mi, &s, &u, &code, &dry, &wet1, &wet2),
                  f.noWet2 ? 10 : 11)
            << line;
        EXPECT_EQ(timeCountOf(y, mo, d, h, mi), f.timeCount) << line;
        EXPECT_EQ(std::vector<int>({s, u, code, dry, wet1, f.noWet2 ? -1 : wet2}),
                  std::vector<int>({0, f.unit, codes[f.alarmState], (f.dry + 5) / 10,
                                    (f.wet1 + 5) / 10, f.noWet2 ? -1 : (f.wet2 + 5) / 10}));
        ASSERT_TRUE(std::getline(dump, line));
        EXPECT_EQ(line.size(), 25u) << line; // four five-digit numbers, spaces and the CR
        ASSERT_EQ(std::sscanf(line.c_str(), "%5d %5d %5d %5d", &code, &dry, &wet1, &wet2), 4);
        EXPECT_EQ(std::vector<int>({code, dry, wet1, wet2}),
                  std::vector<int>({codes[f.alarmState], (f.dry + 5) / 10, (f.wet1 + 5) / 10,
                                    (f.wet2 + 5) / 10}));
    }
}

} // namespace
} // namespace logtools

#include "ToolRun.h"
#include "base/PcLogLine.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace logtools {
namespace {

using test::fileExists;
using test::readFile;
using test::runTool;
using test::TempDir;
using test::writeFile;

const std::string kLogtreat = LOGTREAT_PROGRAM;

// CR LF lines of a unit a minute apart, from the given minute of 12/06/06 08:00, cores at value.
std::string minutes(int unit, int from, int count, int value, bool fahrenheit = false) {
    std::string text;
    for (int m = from; m < from + count; ++m) {
        text += PcLogLine::stamp(12, 6, 6, 8 + m / 60, m % 60, 0) +
                PcLogLine::fields(unit, !fahrenheit, value, value, value, 70) + "\r\n";
    }
    return text;
}

struct Result {
    std::string report;
    int status = -1;
};

Result run(TempDir& dir, const std::vector<std::string>& args) {
    Result r;
    r.report = runTool(kLogtreat, args, dir.path(), r.status);
    return r;
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST(LogTreatProgram, WritesTheCsvSummaryInUnitOrder) {
    TempDir dir;
    writeFile(dir.file("001_061206_080000.CSV"),
              "Charge 17, pallets\r\n" + minutes(5, 0, 40, 133, true) + minutes(2, 0, 31, 57) +
                  minutes(3, 0, 40, 132, true) + minutes(4, 0, 20, 60) + "12/06/06,09:00:00,004,5");
    const Result r = run(dir, {"001_061206_080000.CSV", "--csv", "summary.csv"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(
        readFile(dir.file("summary.csv")),
        "unit,verdict,start,end,minutes,lowest_core,scale,file\r\n"
        "002,TREATED,2006-12-06 08:00:00,2006-12-06 08:30:00,30,57,C,001_061206_080000.CSV\r\n"
        "003,NOT TREATED,,,,,F,001_061206_080000.CSV\r\n"
        "004,NOT TREATED,2006-12-06 08:00:00,2006-12-06 08:19:00,19,60,C,"
        "001_061206_080000.CSV\r\n"
        "005,TREATED,2006-12-06 08:00:00,2006-12-06 08:39:00,39,133,F,"
        "001_061206_080000.CSV\r\n");
    EXPECT_TRUE(
        contains(r.report, "File 1: 001_061206_080000.CSV\n  Charge: Charge 17, pallets\n"));
    EXPECT_TRUE(contains(r.report, "1 malformed line, left out:\n    line 133: cut short"));
    EXPECT_TRUE(contains(r.report, "Unit 004: NOT TREATED: longest stretch 2006-12-06 08:00:00 "
                                   "to 2006-12-06 08:19:00, 19 min, lowest core 60C: 11 min "
                                   "short of 30 min"));
    EXPECT_TRUE(contains(r.report, "2 of 4 units TREATED"));
}

TEST(LogTreatProgram, JoinsFilesWhoseTimesMeetAndReportsGapsBetweenThem) {
    TempDir dir;
    writeFile(dir.file("a.CSV"), "First part\r\n" + minutes(1, 0, 16, 60));
    writeFile(dir.file("b.CSV"), "Second part\n" + minutes(1, 16, 15, 60)); // minutes 16-30
    writeFile(dir.file("c.CSV"), "Third part\r\n" + minutes(1, 33, 31, 60));
    Result r = run(dir, {"a.CSV", "b.CSV", "--csv=s.csv", "--require-all"});
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(contains(readFile(dir.file("s.csv")),
                         "001,TREATED,2006-12-06 08:00:00,2006-12-06 08:30:00,30,60,C,a.CSV\r\n"));

    // a then c: minutes 0-15 and 33-63 with 18 minutes between the files.
    r = run(dir, {"--minutes", "31", "a.CSV", "c.CSV", "--require-all"});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(contains(r.report, "no line for 18 min after 2006-12-06 08:15:00 (file 1 line "
                                   "17), next 2006-12-06 08:33:00 (file 2 line 2)"));
    EXPECT_TRUE(contains(r.report, "Charge: Third part"));
}

TEST(LogTreatProgram, TakesTheThresholdAndDurationFromOptions) {
    TempDir dir;
    writeFile(dir.file("log.CSV"), minutes(1, 0, 31, 59) + minutes(2, 0, 31, 138, true));
    Result r = run(dir, {"--min-core", "60C", "log.CSV", "--csv", "s.csv"});
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(contains(r.report, "(no descriptor line)"));
    EXPECT_TRUE(contains(r.report, "Unit 001: NOT TREATED: no line with every core at or above "
                                   "60C (140F)"));
    r = run(dir, {"--min-core", "59C", "--minutes", "30", "log.CSV", "--csv", "s.csv"});
    EXPECT_TRUE(contains(readFile(dir.file("s.csv")), "001,TREATED,"));
    EXPECT_TRUE(contains(readFile(dir.file("s.csv")), "002,NOT TREATED,,,,,F,"));
    r = run(dir, {"--min-core=138F", "--minutes=20", "--max-gap", "30", "log.CSV"});
    EXPECT_TRUE(contains(r.report, "Unit 002: NOT TREATED: longest stretch 2006-12-06 08:00:00 "
                                   "to 2006-12-06 08:00:00, 0 s"));
    EXPECT_TRUE(contains(r.report, "further apart than the allowed gap of 30 s"));
}

TEST(LogTreatProgram, NamesUnitsThatNeverRan) {
    TempDir dir;
    writeFile(dir.file("log.CSV"), "Kilns 1-3\r\n" + minutes(2, 0, 31, 60));
    const Result r = run(dir, {"--units", "1-3", "log.CSV", "--require-all", "--csv", "s.csv"});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(contains(r.report, "Unit 001: NOT TREATED: no line in the record"));
    EXPECT_TRUE(contains(readFile(dir.file("s.csv")), "003,NOT TREATED,,,,,,\r\n"));
}

TEST(LogTreatProgram, FailsClearlyOnBadOptionsAndUnreadableFiles) {
    TempDir dir;
    writeFile(dir.file("log.CSV"), minutes(1, 0, 31, 60));
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{},
                                               {"--min-core", "56", "log.CSV"},
                                               {"--min-core"},
                                               {"--minutes", "-5", "log.CSV"},
                                               {"--max-gap", "0", "log.CSV"},
                                               {"--units", "0-3", "log.CSV"},
                                               {"--units", "5-2", "log.CSV"},
                                               {"--require-all=yes", "log.CSV"},
                                               {"--frobnicate", "log.CSV"}}) {
        const Result r = run(dir, args);
        EXPECT_EQ(r.status, 2) << (args.empty() ? "" : args[0]);
        EXPECT_EQ(r.report, "");
    }
    // A missing log or a folder: the others are still reported, and the run fails.
    Result r = run(dir, {"log.CSV", "missing.CSV", ".", "--csv", "s.csv"});
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(contains(r.report, "File 2: missing.CSV\n  ERROR: could not be read: No such"));
    EXPECT_TRUE(contains(r.report, "File 3: .\n  ERROR: could not be read: it is a folder"));
    EXPECT_TRUE(contains(r.report, "Unit 001: TREATED"));
    // The CSV summary never replaces a log.
    r = run(dir, {"log.CSV", "--csv", "./log.CSV"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(readFile(dir.file("log.CSV")), minutes(1, 0, 31, 60));
    // A CSV file in a folder that does not exist.
    r = run(dir, {"log.CSV", "--csv", "no/such/folder/s.csv"});
    EXPECT_EQ(r.status, 2);
    EXPECT_FALSE(fileExists(dir.file("no")));
}

#ifdef LOGTREAT_WITHOUT_PDF
TEST(LogTreatProgram, SaysItMakesNoCertificateInABuildWithout) {
    TempDir dir;
    writeFile(dir.file("log.CSV"), minutes(1, 0, 31, 60));
    EXPECT_EQ(run(dir, {"--pdf", "c.pdf", "log.CSV"}).status, 2);
    EXPECT_FALSE(fileExists(dir.file("c.pdf")));
}
#endif

TEST(LogTreatProgram, ShowsHelp) {
    TempDir dir;
    const Result r = run(dir, {"--help"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.report.rfind("Usage: logtreat [options] LOG...\n", 0), 0u);
    EXPECT_TRUE(contains(r.report, "--require-all"));
}

TEST(LogTreatProgram, SurvivesBinaryInputAndLinesWithoutEnds) {
    TempDir dir;
    std::string junk;
    for (int i = 0; i < 5000; ++i) {
        junk += static_cast<char>((i * 7919) % 256);
    }
    writeFile(dir.file("junk.dat"), junk);
    writeFile(dir.file("cut.CSV"), "12/06/06,08:00:00,001,58, 60, 60,");
    const Result r = run(dir, {"junk.dat", "cut.CSV", "--all"});
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(contains(r.report, "File 2: cut.CSV\n  (no descriptor line)\n  1 lines, 0 data "
                                   "lines\n  1 malformed line, left out:\n    line 1: cut short"));
    EXPECT_TRUE(contains(r.report, "0 of 0 units TREATED"));
    // Scripts asking for every unit treated do not take a record without units as a pass.
    EXPECT_EQ(run(dir, {"--require-all", "cut.CSV"}).status, 1);
}

} // namespace
} // namespace logtools

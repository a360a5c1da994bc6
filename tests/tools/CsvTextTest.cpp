#include "tools/common/CsvLine.h"
#include "tools/common/CsvSplitTool.h"
#include "tools/common/TextLineReader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace logtools {
namespace {

std::vector<std::string> readLines(const std::string& bytes) {
    std::FILE* file = std::tmpfile();
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::rewind(file);
    TextLineReader reader(file);
    std::vector<std::string> lines;
    std::string_view line;
    while (reader.next(line)) {
        lines.emplace_back(line);
    }
    // A second reading gives the same lines.
    EXPECT_TRUE(reader.rewind());
    std::size_t again = 0;
    while (reader.next(line)) {
        EXPECT_LT(again, lines.size());
        if (again < lines.size()) {
            EXPECT_EQ(lines[again], line);
        }
        ++again;
    }
    EXPECT_EQ(again, lines.size());
    std::fclose(file);
    return lines;
}

using Lines = std::vector<std::string>;

TEST(TextLineReader, EndsLinesAtCrLfOrLfAndKeepsOtherCrs) {
    EXPECT_EQ(readLines(""), Lines{});
    EXPECT_EQ(readLines("a\r\nb\nc"), (Lines{"a", "b", "c"}));
    EXPECT_EQ(readLines("a\rb\r\n\r\n"), (Lines{"a\rb", ""}));
    EXPECT_EQ(readLines("a\r\r\nlast\r"), (Lines{"a\r", "last\r"}));
    EXPECT_EQ(readLines(std::string("x\0y\n\0", 5)),
              (Lines{std::string("x\0y", 3), std::string(1, '\0')}));
}

TEST(TextLineReader, ReadsLinesLongerThanItsBufferWhole) {
    const std::string longLine(1500000, 'q');
    const Lines lines = readLines("head\r\n" + longLine + "\r\n" + longLine);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[1], longLine);
    EXPECT_EQ(lines[2], longLine);
}

TEST(CsvLine, RecognisesDataLinesByTheirStamp) {
    EXPECT_TRUE(CsvLine::isDataLine("12/06/06,08:16:00,003,58, 56, 57, 55, 61"));
    EXPECT_TRUE(CsvLine::isDataLine("ab/cd/ef,gh:ij:kl,x"));
    EXPECT_FALSE(CsvLine::isDataLine("12/06/06,08:16:00,"));
    EXPECT_FALSE(CsvLine::isDataLine("12-06-06,08:16:00,003"));
    EXPECT_FALSE(CsvLine::isDataLine(""));
}

TEST(CsvLine, SkipsEmptyPiecesBetweenCommas) {
    EXPECT_EQ(CsvLine::field("12/06/06,08:16:00,003,58", 3), "003");
    EXPECT_EQ(CsvLine::field(",,a,,,b,c,", 3), "c");
    EXPECT_EQ(CsvLine::field("a,b", 3), "");
    EXPECT_EQ(CsvLine::field(std::string(64, ',') + "a,b,c", 3), "c");
    EXPECT_EQ(CsvLine::field(std::string(80, ','), 1), "");
    EXPECT_EQ(CsvLine::unitOf("a,b,  42x"), 42);
    EXPECT_EQ(CsvLine::unitOf("a,b,word"), 0);
    EXPECT_EQ(CsvLine::unitOf("no commas at all"), 0);
}

// Fields are found in blocks of characters; a plain scan is the reference, over lines that
// put commas and fields across every block boundary.
TEST(CsvLine, SplitAgreesWithAPlainScanOnLinesOfEveryLength) {
    std::mt19937 random(8);
    for (int i = 0; i < 20000; ++i) {
        const std::size_t length = static_cast<std::size_t>(i % 140);
        const unsigned commaOdds = 2 + static_cast<unsigned>(random() % 12);
        std::string line(length, 'x');
        for (char& c : line) {
            c = random() % commaOdds == 0 ? ',' : static_cast<char>('0' + random() % 10);
        }
        std::vector<std::string_view> expected;
        std::size_t pos = 0;
        while (pos < line.size()) {
            const std::size_t comma = std::min(line.find(',', pos), line.size());
            if (comma > pos) {
                expected.push_back(std::string_view(line).substr(pos, comma - pos));
            }
            pos = comma + 1;
        }
        const int want = 1 + i % 9;
        std::string_view fields[9];
        const int found = CsvLine::split(line, fields, want);
        ASSERT_EQ(found, std::min<int>(want, static_cast<int>(expected.size()))) << line;
        for (int k = 0; k < want; ++k) {
            const std::string_view e = k < static_cast<int>(expected.size())
                                           ? expected[static_cast<std::size_t>(k)]
                                           : std::string_view();
            ASSERT_EQ(fields[k], e) << line << " field " << k + 1;
            ASSERT_EQ(CsvLine::field(line, k + 1), e) << line << " field " << k + 1;
        }
        ASSERT_EQ(CsvLine::field(line, 12),
                  expected.size() >= 12 ? expected[11] : std::string_view())
            << line;
    }
}

TEST(CsvLine, ReadsNumbersLikeTheCLibraryAndHoldsThemAtIntLimits) {
    EXPECT_EQ(CsvLine::toInt(" \t58"), 58);
    EXPECT_EQ(CsvLine::toInt("-7"), -7);
    EXPECT_EQ(CsvLine::toInt("+9z"), 9);
    EXPECT_EQ(CsvLine::toInt("- 9"), 0);
    EXPECT_EQ(CsvLine::toInt("99999999999999999999"), INT_MAX);
    EXPECT_EQ(CsvLine::toInt("-99999999999999999999"), INT_MIN);
    EXPECT_EQ(CsvLine::toInt(std::string_view("12\0"
                                              "3",
                                              4)),
              12);
}

TEST(CsvSplitUnits, LogcsvLooksForTheUnitInTheFirst30CharactersOnly) {
    using Style = CsvSplitTool::Style;
    const std::string line = "12/06/06,08:16:00,,,,,,,,,,,,,,,,,,007,1";
    EXPECT_EQ(CsvSplitTool::unitForWriting(line, Style::Csv), 0);
    EXPECT_EQ(CsvSplitTool::unitForWriting(line, Style::Dump), 7);
}

TEST(CsvSplitDump, WritesHeadingAndColumnsFromTheFields) {
    const std::string line = "12/06/06,08:16:00,003,58, 56, 57, 55, 61";
    EXPECT_EQ(CsvSplitTool::dumpHeading(line),
              "\r\nDUMP: 06DEC06 08:16   [1=Alarm (40=Low, 50=None, 60=High), 2=Dry1, 3=Wet1, "
              "4=N/A]\r\nALRM, DRY1, WET1, NULL. \r\n");
    char out[CsvSplitTool::kMaxDumpLine];
    EXPECT_EQ(std::string(out, CsvSplitTool::dumpLine(line, out)), "00058 00056 00057 00000 \r\n");
    EXPECT_EQ(std::string(out, CsvSplitTool::dumpLine("a,b,3,-5,99999999999", out)),
              "-0005 2147483647 00000 00000 \r\n");
}

TEST(CsvSplitDump, HeadingOfADamagedLineStaysInsideItsFields) {
    const std::string heading = CsvSplitTool::dumpHeading("x,1,3");
    EXPECT_EQ(heading.substr(0, 21), "\r\nDUMP: ??????? 1?:??");
    EXPECT_EQ(CsvSplitTool::dumpHeading("99/06/06,08:16:00,3").substr(0, 22),
              "\r\nDUMP: 06???06 08:16 ");
}

} // namespace
} // namespace logtools

#include "RecordTestData.h"

#include "tools/common/LogCalendar.h"
#include "tools/common/LogRecord.h"
#include "tools/common/RecordLineFormatter.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>

namespace logtools {
namespace {

using test::encodeRecord;
using test::RecordFields;
using test::timeCountOf;

const unsigned char kExample[10] = {0x05, 0x00, 0x00, 0x01, 0x00, 0xC8, 0x00, 0x64, 0x01, 0xF4};

std::string csvLine(const LogRecord& r) {
    RecordLineFormatter formatter;
    char line[RecordLineFormatter::kMaxLine];
    return std::string(line, formatter.csvLine(r, line));
}

std::string dumpLine(const LogRecord& r) {
    char line[RecordLineFormatter::kMaxLine];
    return std::string(line, RecordLineFormatter::dumpLine(r, line));
}

LogRecord decoded(const RecordFields& f) {
    const std::string bytes = encodeRecord(f);
    return LogRecord::decode(reinterpret_cast<const unsigned char*>(bytes.data()));
}

TEST(LogRecordDecoding, DecodesTheStationExampleRecord) {
    const LogRecord r = LogRecord::decode(kExample);
    EXPECT_EQ(r.unit, 5);
    EXPECT_EQ(r.timeCount, 0u);
    EXPECT_EQ(r.alarmCode(), 60);
    EXPECT_EQ(r.dry, 100);
    EXPECT_EQ(r.wet1, 50);
    EXPECT_EQ(r.wet2, 250);
    EXPECT_FALSE(r.noWet2);
    EXPECT_EQ(csvLine(r), "01/01/00,00:00:00,005,60,10,5,25\r\n");
    EXPECT_EQ(dumpLine(r), "00060 00010 00005 00025 \r\n");
}

TEST(LogRecordDecoding, RecoversEveryFieldAtItsWidestValues) {
    const RecordFields f{255, (1u << 22) - 1, 3, 4095, 16383, 32767, true};
    const LogRecord r = decoded(f);
    EXPECT_EQ(r.unit, 255);
    EXPECT_EQ(r.timeCount, f.timeCount);
    EXPECT_EQ(r.alarmCode(), 30);
    EXPECT_EQ(r.dry, 4095);
    EXPECT_EQ(r.wet1, 16383);
    EXPECT_EQ(r.wet2, 32767);
    EXPECT_TRUE(r.noWet2);
}

TEST(LogCalendarDecoding, HandlesLeapYearsAndDayBoundaries) {
    auto expectDate = [](std::uint32_t count, int y, int m, int d, int h, int min) {
        const CalendarTime t = LogCalendar::decode(count);
        EXPECT_EQ(t.year, y) << count;
        EXPECT_EQ(t.month, m) << count;
        EXPECT_EQ(t.day, d) << count;
        EXPECT_EQ(t.hour, h) << count;
        EXPECT_EQ(t.minute, min) << count;
    };
    expectDate(52704, 1, 1, 1, 0, 0);
    expectDate(52704 + 59 * 144, 1, 3, 1, 0, 0);
    expectDate(59 * 144, 0, 2, 29, 0, 0);
    expectDate(143, 0, 1, 1, 23, 50);
}

TEST(LogCalendarDecoding, AgreesWithAWalkOverEveryDayOfTheTimeCountRange) {
    std::uint32_t count = 0;
    for (int year = 0; count < (1u << 22); ++year) {
        for (int month = 1; month <= 12 && count < (1u << 22); ++month) {
            for (int day = 1; day <= LogCalendar::daysInMonth(year, month); ++day) {
                ASSERT_EQ(count, timeCountOf(year, month, day, 0, 0));
                for (const std::uint32_t ofDay : {0u, 77u, 143u}) {
                    const CalendarTime t = LogCalendar::decode(count + ofDay);
                    ASSERT_EQ(t.year, year);
                    ASSERT_EQ(t.month, month);
                    ASSERT_EQ(t.day, day);
                    ASSERT_EQ(t.hour * 6 + t.minute / 10, static_cast<int>(ofDay));
                }
                count += 144;
            }
        }
    }
}

TEST(LogCalendarDecoding, NamesMonthsAndRefusesNumbersOutsideTheYear) {
    EXPECT_STREQ(LogCalendar::monthName(1), "JAN");
    EXPECT_STREQ(LogCalendar::monthName(12), "DEC");
    EXPECT_STREQ(LogCalendar::monthName(0), "???");
    EXPECT_STREQ(LogCalendar::monthName(13), "???");
    EXPECT_STREQ(LogCalendar::monthName(-40), "???");
}

TEST(RecordLines, LeaveOutWet2OnlyInTheCommaSeparatedLine) {
    RecordFields f{7, timeCountOf(4, 12, 6, 14, 30), 2, 15, 14, 999, true};
    const LogRecord r = decoded(f);
    EXPECT_EQ(csvLine(r), "12/06/04,14:30:00,007,40,2,1\r\n");
    EXPECT_EQ(dumpLine(r), "00040 00002 00001 00100 \r\n");
}

TEST(RecordLines, DumpHeadingShowsTheFirstRecordsTime) {
    const LogRecord r = decoded({7, timeCountOf(4, 12, 6, 14, 30), 0, 0, 0, 0, false});
    EXPECT_EQ(RecordLineFormatter::dumpOpening(r),
              "\r\nDUMP: 06DEC04 14:30   [1=Alarm (30=Off, 40=Low, 50=None, 60=High), 2=Dry, "
              "3=Wet1, 4=Wet2]\r\nALRM, DRY,  WET1, WET2.\r\n");
}

TEST(RecordLines, ReuseOfTheDateNeverLeaksIntoTheNextDay) {
    RecordLineFormatter formatter;
    char line[RecordLineFormatter::kMaxLine];
    const LogRecord last = decoded({1, timeCountOf(3, 12, 31, 23, 50), 0, 0, 0, 0, true});
    const LogRecord next = decoded({1, timeCountOf(4, 1, 1, 0, 0), 0, 0, 0, 0, true});
    EXPECT_EQ(std::string(line, formatter.csvLine(last, line)), "12/31/03,23:50:00,001,50,0,0\r\n");
    EXPECT_EQ(std::string(line, formatter.csvLine(next, line)), "01/01/04,00:00:00,001,50,0,0\r\n");
}

// The lines are built from digit tables; printf of the documented formats is the reference.
TEST(RecordLines, MatchPrintfFormatsAcrossEveryTimeOfDayAndTheWholeValueRange) {
    std::mt19937 random(41);
    RecordLineFormatter formatter;
    for (int i = 0; i < 20000; ++i) {
        RecordFields f;
        f.unit = static_cast<int>(random() % 256);
        f.timeCount = i < 144 ? static_cast<std::uint32_t>(i) : random() % (1u << 22);
        f.alarmState = static_cast<int>(random() % 4);
        f.dry = i % 3 == 0 ? 4095 : static_cast<int>(random() % 4096);
        f.wet1 = i % 5 == 0 ? 16383 : static_cast<int>(random() % 16384);
        f.wet2 = i % 7 == 0 ? 32767 : static_cast<int>(random() % 32768);
        f.noWet2 = random() % 2 == 0;
        const LogRecord r = decoded(f);
        const CalendarTime t = LogCalendar::decode(r.timeCount);
        char expected[128];
        int n =
            std::snprintf(expected, sizeof expected, "%02d/%02d/%02d,%02d:%02d:%02d,%03d,%d,%d,%d",
                          t.month, t.day, t.year, t.hour, t.minute, 0, r.unit, r.alarmCode(),
                          LogRecord::wholeValue(r.dry), LogRecord::wholeValue(r.wet1));
        if (!r.noWet2) {
            n += std::snprintf(expected + n, sizeof expected - static_cast<std::size_t>(n), ",%d",
                               LogRecord::wholeValue(r.wet2));
        }
        std::snprintf(expected + n, sizeof expected - static_cast<std::size_t>(n), "\r\n");
        char line[RecordLineFormatter::kMaxLine];
        ASSERT_EQ(std::string(line, formatter.csvLine(r, line)), expected) << i;
        std::snprintf(expected, sizeof expected, "%05d %05d %05d %05d \r\n", r.alarmCode(),
                      LogRecord::wholeValue(r.dry), LogRecord::wholeValue(r.wet1),
                      LogRecord::wholeValue(r.wet2));
        ASSERT_EQ(dumpLine(r), expected) << i;
    }
}

} // namespace
} // namespace logtools

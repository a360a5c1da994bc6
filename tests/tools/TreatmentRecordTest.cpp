#include "tools/treat/TreatmentRecord.h"
#include "base/PcLogLine.h"
#include "tools/treat/LogTimestamp.h"
#include "tools/treat/TreatmentReport.h"
#include "tools/treat/TreatmentRule.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace logtools {
namespace {

// A data line of unit at the given seconds after 12/06/06 08:00:00, in the unit's own scale.
std::string line(int unit, int seconds, int c1, int c2, int c3, bool fahrenheit = false) {
    const int day = 6 + seconds / 86400;
    const int ofDay = 8 * 3600 + seconds % 86400;
    return PcLogLine::stamp(12, day, 6, ofDay / 3600, ofDay / 60 % 60, ofDay % 60) +
           PcLogLine::fields(unit, !fahrenheit, c1, c2, c3, fahrenheit ? 150 : 65);
}

// Lines of one unit a minute apart from minute `from`, every core at `value`.
std::vector<std::string> minutes(int unit, int from, int count, int value,
                                 bool fahrenheit = false) {
    std::vector<std::string> lines;
    for (int m = from; m < from + count; ++m) {
        lines.push_back(line(unit, m * 60, value, value, value, fahrenheit));
    }
    return lines;
}

struct Fed {
    explicit Fed(const TreatmentRule& rule = TreatmentRule()) : record(rule) {}
    void file(const std::vector<std::string>& lines, const std::string& name = "a.CSV") {
        record.beginFile(name);
        for (const std::string& l : lines) {
            record.addLine(l);
        }
    }
    const UnitTreatment& unit(int id) {
        const UnitTreatment* u = record.unit(id);
        EXPECT_NE(u, nullptr);
        static const UnitTreatment none(0, TreatmentRule());
        return u != nullptr ? *u : none;
    }
    TreatmentRecord record;
};

std::vector<std::string> operator+(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST(TreatmentRule, ConvertsTheThresholdExactlyAndNeverInTheUnitsFavour) {
    TreatmentRule rule;
    EXPECT_EQ(rule.minimumReading(Scale::Centigrade), 56);
    EXPECT_EQ(rule.minimumReading(Scale::Fahrenheit), 133); // 56C is 132.8F
    EXPECT_EQ(rule.thresholdText(), "56C (132.8F)");
    ASSERT_TRUE(rule.setThreshold("60c"));
    EXPECT_EQ(rule.minimumReading(Scale::Fahrenheit), 140); // exactly 140F
    ASSERT_TRUE(rule.setThreshold("133F"));
    EXPECT_EQ(rule.minimumReading(Scale::Fahrenheit), 133);
    EXPECT_EQ(rule.minimumReading(Scale::Centigrade), 57); // 56C is below 133F
    ASSERT_TRUE(rule.setThreshold("132.8F"));
    EXPECT_EQ(rule.minimumReading(Scale::Centigrade), 56);
    ASSERT_TRUE(rule.setThreshold("56.5C"));
    EXPECT_EQ(rule.minimumReading(Scale::Centigrade), 57);
    EXPECT_EQ(rule.minimumReading(Scale::Fahrenheit), 134); // 133.7F
    ASSERT_TRUE(rule.setThreshold("-10C"));
    EXPECT_EQ(rule.minimumReading(Scale::Fahrenheit), 14);
    ASSERT_TRUE(rule.setThreshold("-0.5F"));
    EXPECT_EQ(rule.minimumReading(Scale::Fahrenheit), 0);
    EXPECT_EQ(rule.minimumReading(Scale::Centigrade), -18); // -18.06C
}

TEST(TreatmentRule, RefusesThresholdsWithoutANumberAndAScale) {
    TreatmentRule rule;
    for (const char* bad : {"", "56", "C", "56K", "56.C", "56.123C", "56C ", " 56C", "5 6C", "56CF",
                            "1001C", "999999999999C", "--56C"}) {
        EXPECT_FALSE(rule.setThreshold(bad)) << bad;
    }
    EXPECT_EQ(rule.thresholdText(), "56C (132.8F)");
    EXPECT_FALSE(rule.setMinutes(-1));
    EXPECT_FALSE(rule.setMaxGapSeconds(0));
}

TEST(LogTimestamp, ReadsTwoDigitYearsAsThisCenturyWithLeapDays) {
    EXPECT_EQ(LogTimestamp::text(0), "2000-01-01 00:00:00");
    EXPECT_EQ(LogTimestamp::text(LogTimestamp::dayNumber(2008, 2, 29) * 86400 + 3599),
              "2008-02-29 00:59:59");
    EXPECT_EQ(LogTimestamp::text(LogTimestamp::dayNumber(2099, 12, 31) * 86400 + 86399),
              "2099-12-31 23:59:59");
    EXPECT_EQ(LogTimestamp::dayNumber(2001, 1, 1), 366);
    EXPECT_EQ(LogTimestamp::durationText(0), "0 s");
    EXPECT_EQ(LogTimestamp::durationText(1799), "29 min 59 s");
    EXPECT_EQ(LogTimestamp::durationText(7500), "2 h 05 min");
}

TEST(PcLogLine, TellsDataLinesFromMalformedOnes) {
    PcLogLineParser parser;
    CoreReading r;
    const char* why = "";
    using R = PcLogLineParser::Result;
    ASSERT_EQ(parser.parse("12/06/06,08:16:00,003,58, 56, -7,100, 61", r, why), R::Reading);
    EXPECT_EQ(r.unit, 3);
    EXPECT_EQ(r.scale, Scale::Centigrade);
    EXPECT_EQ(r.core[1], -7);
    EXPECT_EQ(r.chamber, 61);
    EXPECT_EQ(LogTimestamp::text(r.time), "2006-12-06 08:16:00");
    ASSERT_EQ(parser.parse("02/29/08,23:59:59,254,135,133,133,133,150", r, why), R::Reading);
    EXPECT_EQ(r.scale, Scale::Fahrenheit);
    // Readings the usual layout does not hold: negative, wider than three characters, no spaces.
    ASSERT_EQ(parser.parse("01/01/07,00:00:00,7,135,  -5,4000,212,-40", r, why), R::Reading);
    EXPECT_EQ(r.unit, 7);
    EXPECT_EQ(r.core[0], -5);
    EXPECT_EQ(r.core[1], 4000);
    EXPECT_EQ(r.chamber, -40);
    EXPECT_EQ(parser.parse("Charge 17", r, why), R::NotData);
    EXPECT_EQ(parser.parse("12/06/06,08:16:00", r, why), R::NotData);    // no more than the stamp
    for (const char* bad : {"12/06/06,08:16:00,003,58, 56, 57, 55",      // cut short
                            "12/06/06,08:16:00,003,58, 56, 57, 55,",     // cut short after a comma
                            "12/06/06,08:16:00,003,58, 5",               // truncated mid-field
                            "12/06/06,08:16:00,003,58, 56, 57, 55, 61,", // a ninth field
                            "12/06/06,08:16:00,003,58, 56, 57, 55, 61 ", // trailing junk
                            "12/06/06,08:16:00,003,58, 56,,57, 55, 61",  // an empty field
                            "12/06/06,08:16:00,003,58, 5x, 57, 55, 61",  // not a number
                            "12/06/06,08:16:00,003,58,1234567,57, 55, 61", // too many digits
                            "12/06/06,08:16:00,000,58, 56, 57, 55, 61",    // no unit 0
                            "12/06/06,08:16:00,255,58, 56, 57, 55, 61",    // the station is no unit
                            "12/06/06,08:16:00,003,59, 56, 57, 55, 61",    // no such scale
                            "02/29/07,08:16:00,003,58, 56, 57, 55, 61",    // no leap day in 2007
                            "13/01/06,08:16:00,003,58, 56, 57, 55, 61",    // no month 13
                            "1a/06/06,08:16:00,003,58, 56, 57, 55, 61",    // not a date
                            "12/06/06,24:00:00,003,58, 56, 57, 55, 61",    // no hour 24
                            "12/06/06,08:60:00,003,58, 56, 57, 55, 61"}) { // no minute 60
        EXPECT_EQ(parser.parse(bad, r, why), R::Malformed) << bad;
    }
}

TEST(Stretches, ThirtyMinutesAtThresholdPassAndTwentyNineFail) {
    Fed thirty;
    thirty.file(minutes(1, 0, 31, 56)); // 31 lines a minute apart: 30 minutes
    thirty.record.finish();
    const Verdict v = thirty.unit(1).verdict();
    EXPECT_TRUE(v.treated);
    ASSERT_EQ(thirty.unit(1).stretches().size(), 1u);
    EXPECT_EQ(thirty.unit(1).stretches()[0].length(), 1800);
    EXPECT_EQ(thirty.unit(1).stretches()[0].end, StretchEnd::EndOfRecord);

    Fed twentyNine;
    twentyNine.file(minutes(1, 0, 30, 56));
    twentyNine.record.finish();
    const Verdict w = twentyNine.unit(1).verdict();
    EXPECT_FALSE(w.treated);
    EXPECT_EQ(w.stretch, 0);
    EXPECT_EQ(w.shortBy, 60);
}

TEST(Stretches, OneColdMinuteOrAGapSplitsAStretch) {
    Fed cold;
    // 20 minutes hot, one core a degree short, then 29 minutes hot: 19 + 29 minutes.
    cold.file(minutes(1, 0, 20, 60) + std::vector<std::string>{line(1, 20 * 60, 60, 55, 60)} +
              minutes(1, 21, 30, 60));
    cold.record.finish();
    const std::vector<Stretch>& s = cold.unit(1).stretches();
    ASSERT_EQ(s.size(), 2u);
    EXPECT_EQ(s[0].end, StretchEnd::Cold);
    EXPECT_EQ(s[0].endCore, 2);
    EXPECT_EQ(s[0].endReading, 55);
    EXPECT_EQ(s[0].length(), 19 * 60);
    EXPECT_EQ(s[1].length(), 29 * 60);
    EXPECT_FALSE(cold.unit(1).verdict().treated);
    EXPECT_EQ(cold.unit(1).verdict().stretch, 1);

    Fed gap; // minutes 0-20, then 22-51: a two-minute gap
    gap.file(minutes(1, 0, 21, 60) + minutes(1, 22, 30, 60));
    gap.record.finish();
    ASSERT_EQ(gap.unit(1).stretches().size(), 2u);
    EXPECT_EQ(gap.unit(1).stretches()[0].end, StretchEnd::Gap);
    ASSERT_EQ(gap.unit(1).gaps().size(), 1u);
    EXPECT_EQ(gap.unit(1).gaps()[0].length(), 120);
    EXPECT_FALSE(gap.unit(1).verdict().treated);

    Fed allowed; // exactly the allowed 90 s apart does not break it
    std::vector<std::string> lines;
    for (int i = 0; i <= 20; ++i) {
        lines.push_back(line(1, i * 90, 56, 56, 56));
    }
    allowed.file(lines);
    allowed.record.finish();
    EXPECT_TRUE(allowed.unit(1).verdict().treated);
    EXPECT_EQ(allowed.unit(1).medianSpacing(), 90);
}

TEST(Stretches, ComparesEachLineInItsOwnScale) {
    Fed fed; // one file, units in both scales, interleaved as the program writes them
    std::vector<std::string> lines;
    for (int m = 0; m <= 30; ++m) {
        lines.push_back(line(1, m * 60, 56, 57, 58));
        lines.push_back(line(2, m * 60 + 1, 133, 133, 140, true));
        lines.push_back(line(3, m * 60 + 2, 140, 132, 140, true));
    }
    fed.file(lines);
    fed.record.finish();
    EXPECT_TRUE(fed.unit(1).verdict().treated);
    EXPECT_TRUE(fed.unit(2).verdict().treated);
    EXPECT_EQ(fed.unit(2).stretches()[0].lowest, 133);
    EXPECT_EQ(fed.unit(2).stretches()[0].scale, Scale::Fahrenheit);
    EXPECT_FALSE(fed.unit(3).verdict().treated);
    EXPECT_TRUE(fed.unit(3).stretches().empty());

    TreatmentRule rule;
    ASSERT_TRUE(rule.setThreshold("133F"));
    Fed fahrenheitRule(rule);
    fahrenheitRule.file(minutes(1, 0, 31, 56) + minutes(2, 0, 31, 57));
    fahrenheitRule.record.finish();
    EXPECT_FALSE(fahrenheitRule.unit(1).verdict().treated);
    EXPECT_TRUE(fahrenheitRule.unit(2).verdict().treated);
}

TEST(Stretches, SensorFaultsAndScaleChangesBreakThem) {
    Fed fed;
    fed.file(minutes(1, 0, 10, 60) + std::vector<std::string>{line(1, 600, 60, 101, 60)} +
             std::vector<std::string>{line(1, 660, 60, 250, 400)} + minutes(1, 12, 5, 100) +
             minutes(1, 17, 5, 140, true));
    fed.record.finish();
    const UnitTreatment& u = fed.unit(1);
    ASSERT_EQ(u.stretches().size(), 3u);
    EXPECT_EQ(u.stretches()[0].end, StretchEnd::SensorFault);
    EXPECT_EQ(u.stretches()[0].endCore, 2);
    EXPECT_EQ(u.stretches()[1].lowest, 100); // 100C is still a valid reading
    EXPECT_EQ(u.stretches()[1].end, StretchEnd::ScaleChange);
    EXPECT_EQ(u.stretches()[2].scale, Scale::Fahrenheit);
    ASSERT_EQ(u.faults().size(), 1u); // two faulty lines in a row are one fault
    EXPECT_EQ(u.faults()[0].lines, 2);
    EXPECT_EQ(u.faults()[0].cores, 6);
    EXPECT_EQ(u.faults()[0].highest, 400);
}

TEST(Stretches, LinesOutOfTimeOrderAreReportedAndLeftOut) {
    Fed fed;
    fed.file(minutes(1, 0, 20, 60));
    fed.file(minutes(1, 10, 5, 20) + minutes(1, 20, 11, 60), "b.CSV"); // overlaps the first
    fed.record.finish();
    const UnitTreatment& u = fed.unit(1);
    EXPECT_EQ(u.outOfOrderCount(), 5);
    ASSERT_FALSE(u.outOfOrderKept().empty());
    EXPECT_EQ(u.outOfOrderKept()[0].place.file, 1);
    EXPECT_EQ(u.outOfOrderKept()[0].place.line, 1);
    EXPECT_EQ(u.outOfOrderKept()[0].previous.line, 20);
    ASSERT_EQ(u.stretches().size(), 1u); // the stretch runs on across the files
    EXPECT_EQ(u.stretches()[0].length(), 30 * 60);
    EXPECT_EQ(u.stretches()[0].last.file, 1);
    EXPECT_TRUE(u.verdict().treated);
}

TEST(Stretches, TheLongestOfEqualStretchesIsTheEarliest) {
    Fed fed;
    fed.file(minutes(1, 0, 11, 60) + minutes(1, 11, 1, 30) + minutes(1, 12, 11, 60) +
             minutes(1, 23, 1, 30) + minutes(1, 24, 5, 60));
    fed.record.finish();
    const Verdict v = fed.unit(1).verdict();
    EXPECT_FALSE(v.treated);
    EXPECT_EQ(v.stretch, 0);
    EXPECT_EQ(v.shortBy, 20 * 60);
}

TEST(TreatmentRecord, KeepsTheDescriptorAndCountsMalformedLines) {
    Fed fed;
    std::vector<std::string> lines = {"Charge 17, pallets"};
    lines = lines + minutes(1, 0, 3, 60);
    for (int i = 0; i < 7; ++i) {
        lines.push_back("12/06/06,09:00:00,003,58, 5"); // truncated
    }
    lines.push_back("a trailer"); // only the first line is a descriptor
    lines.push_back(std::string("\x01\x02", 2));
    fed.file(lines);
    fed.record.finish();
    const LogFileSummary& f = fed.record.files()[0];
    EXPECT_TRUE(f.hasDescriptor);
    EXPECT_EQ(f.descriptor, "Charge 17, pallets");
    EXPECT_EQ(f.lines, 13);
    EXPECT_EQ(f.readings, 3);
    EXPECT_EQ(f.malformed, 9);
    ASSERT_EQ(f.malformedKept.size(), TreatmentRecord::kMaxMalformedKept);
    EXPECT_EQ(f.malformedKept[0].line, 5);
    EXPECT_EQ(TreatmentRecord::shownText(std::string("a\x01\nb", 4), 3), "a??...");
    EXPECT_EQ(fed.record.unit(3), nullptr); // malformed lines make no unit
}

TEST(TreatmentRecord, SkipsAByteOrderMarkAndNotesFilesThatOverlap) {
    Fed fed;
    fed.file({"\xEF\xBB\xBF" + line(1, 0, 60, 60, 60), line(1, 60, 60, 60, 60)});
    fed.file(minutes(1, 1, 2, 60), "b.CSV"); // begins at the first file's last minute
    fed.record.finish();
    EXPECT_FALSE(fed.record.files()[0].hasDescriptor);
    EXPECT_EQ(fed.record.files()[0].readings, 2);
    EXPECT_EQ(fed.unit(1).outOfOrderCount(), 1);
    const std::string text = TreatmentReport(fed.record).text();
    EXPECT_NE(text.find("File 2: b.CSV\n  (no descriptor line)\n  2 lines, 2 data lines, "
                        "2006-12-06 08:01:00 to 2006-12-06 08:02:00\n  It begins at or before "
                        "the end of file 1 (2006-12-06 08:01:00): the logs overlap"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("Lines not after the unit's line before, left out: 1\n    "
                        "2006-12-06 08:01:00 (file 2 line 1) after 2006-12-06 08:01:00 (file 1 "
                        "line 2)\n"),
              std::string::npos);
}

TEST(TreatmentRecord, AnExpectedUnitWithoutLinesIsNotTreated) {
    Fed fed;
    fed.record.expectUnit(7);
    fed.record.expectUnit(255); // no such unit: ignored
    fed.file(minutes(1, 0, 31, 60));
    fed.record.finish();
    ASSERT_EQ(fed.record.units().size(), 2u);
    EXPECT_EQ(fed.unit(7).lines(), 0);
    EXPECT_FALSE(fed.unit(7).verdict().treated);
    EXPECT_EQ(fed.unit(7).medianSpacing(), -1);
    TreatmentReport report(fed.record);
    EXPECT_EQ(report.csv(), "unit,verdict,start,end,minutes,lowest_core,scale,file\r\n"
                            "001,TREATED,2006-12-06 08:00:00,2006-12-06 08:30:00,30,60,C,a.CSV\r\n"
                            "007,NOT TREATED,,,,,,\r\n");
    EXPECT_NE(report.text().find("Unit 007: NOT TREATED: no line in the record"),
              std::string::npos);
}

TEST(TreatmentReport, QuotesCsvFieldsOnlyWhenNeeded) {
    EXPECT_EQ(TreatmentReport::csvField("logs/001.CSV"), "logs/001.CSV");
    EXPECT_EQ(TreatmentReport::csvField("a,b"), "\"a,b\"");
    EXPECT_EQ(TreatmentReport::csvField("say \"hi\""), "\"say \"\"hi\"\"\"");
    EXPECT_EQ(TreatmentReport::csvField("two\nlines"), "\"two\nlines\"");
}

} // namespace
} // namespace logtools

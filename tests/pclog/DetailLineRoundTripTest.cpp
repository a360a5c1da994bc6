// What the desktop program writes to a PC log, read back by the treatment record's parser.

#include "kiln/KilnDecoding.h"
#include "pclog/LogText.h"
#include "tools/treat/LogTimestamp.h"
#include "tools/treat/PcLogLineParser.h"

#include <gtest/gtest.h>

namespace {

using logtools::PcLogLineParser;

struct Parsed {
    PcLogLineParser::Result result = PcLogLineParser::Result::NotData;
    logtools::CoreReading reading;
    const char* reason = nullptr;
};

Parsed Parse(PcLogLineParser& parser, const std::string& line) {
    Parsed p;
    p.result = parser.parse(line, p.reading, p.reason);
    return p;
}

int Degrees(bool centigrade, int raw) {
    return ConvertRawTemperature(true, centigrade, static_cast<std::int16_t>(raw));
}

} // namespace

// Every raw value a unit can send, in both scales: readings of one to five characters, minus
// signs included, so both the parser's usual layout and its general reading are crossed.
TEST(DetailLineRoundTrip, EveryScaleAndWidthReadsBackAsWritten) {
    PcLogLineParser parser;
    const std::string stamp = LogLineTimeStamp({2006, 12, 6, 8, 16, 0});
    for (const bool centigrade : {true, false}) {
        for (int raw = -32768; raw <= 32767; raw += 3) {
            KilnRecord record;
            record.m_bCentigrade = centigrade ? 1 : 0;
            record.m_wRtd = {static_cast<std::uint16_t>(raw), static_cast<std::uint16_t>(raw + 1),
                             static_cast<std::uint16_t>(-raw), static_cast<std::uint16_t>(raw / 7)};
            const int nodeId = 1 + (raw + 32768) % 254;
            const std::string line = stamp + DetailLineText(nodeId, record);
            const Parsed p = Parse(parser, line);
            ASSERT_EQ(p.result, PcLogLineParser::Result::Reading) << line << ": " << p.reason;
            EXPECT_EQ(p.reading.unit, nodeId) << line;
            EXPECT_EQ(p.reading.scale,
                      centigrade ? logtools::Scale::Centigrade : logtools::Scale::Fahrenheit);
            for (int i = 0; i < 3; ++i) {
                ASSERT_EQ(p.reading.core[i], Degrees(centigrade, record.m_wRtd[std::size_t(i)]))
                    << line;
            }
            ASSERT_EQ(p.reading.chamber, Degrees(centigrade, record.m_wRtd[3])) << line;
        }
    }
}

TEST(DetailLineRoundTrip, EveryUnitAndStampReadBackAsWritten) {
    PcLogLineParser parser;
    KilnRecord record;
    record.m_bCentigrade = 1;
    record.m_wRtd = {2640, 2680, 2610, 2830};
    const LocalDateTime stamps[] = {{2000, 1, 1, 0, 0, 0},
                                    {2008, 2, 29, 23, 59, 59},
                                    {2026, 12, 7, 12, 5, 9},
                                    {2099, 12, 31, 23, 59, 59}};
    for (const LocalDateTime& when : stamps) {
        const logtools::LogSeconds expected =
            logtools::LogTimestamp::dayNumber(when.year, when.month, when.day) * 86400 +
            when.hour * 3600 + when.minute * 60 + when.second;
        for (int nodeId = 1; nodeId <= PcLogLineParser::kLastUnit; ++nodeId) {
            const std::string line = LogLineTimeStamp(when) + DetailLineText(nodeId, record);
            const Parsed p = Parse(parser, line);
            ASSERT_EQ(p.result, PcLogLineParser::Result::Reading) << line << ": " << p.reason;
            ASSERT_EQ(p.reading.unit, nodeId);
            ASSERT_EQ(p.reading.time, expected) << line;
        }
    }
}

#include "pclog/LogText.h"

#include "base/PcLogLine.h"
#include "kiln/KilnDecoding.h"

#include <cstdio>

namespace {

// Wide enough for six ints of any value and their separators, so no clock value can truncate
// a stamp silently.
constexpr std::size_t kTextBytes = 128;

} // namespace

int LogTwoDigitYear(int year) {
    return year < 2000 ? year - 1900 : year - 2000;
}

std::string LogFileTimeStamp(const LocalDateTime& when) {
    char text[kTextBytes];
    std::snprintf(text, sizeof text, "%02d%02d%02d_%02d%02d%02d", LogTwoDigitYear(when.year),
                  when.month, when.day, when.hour, when.minute, when.second);
    return text;
}

std::string LogFileLeafName(int farmNumber, const LocalDateTime& when) {
    char text[kTextBytes];
    std::snprintf(text, sizeof text, "%03d_%s.%s", farmNumber, LogFileTimeStamp(when).c_str(),
                  "CSV");
    return text;
}

std::string LogLineTimeStamp(const LocalDateTime& when) {
    return PcLogLine::stamp(when.month, when.day, LogTwoDigitYear(when.year), when.hour,
                            when.minute, when.second);
}

std::string DetailLineText(int nodeId, const KilnRecord& record) {
    const bool centigrade = record.m_bCentigrade != 0;
    int rtd[4];
    for (int i = 0; i < 4; ++i) {
        rtd[i] = ConvertRawTemperature(true, centigrade,
                                       static_cast<std::int16_t>(record.m_wRtd[std::size_t(i)]));
    }
    return PcLogLine::fields(nodeId, centigrade, rtd[0], rtd[1], rtd[2], rtd[3]);
}

#include "tools/common/RecordLineFormatter.h"

#include "tools/common/LogCalendar.h"
#include "tools/common/NumberText.h"

#include <cstring>

namespace logtools {

namespace {
// "hh:mm:00," for each 10-minute interval of a day: every line has one.
struct TimesOfDay {
    char text[LogCalendar::kIntervalsPerDay][9];
    constexpr TimesOfDay() : text() {
        for (std::uint32_t i = 0; i < LogCalendar::kIntervalsPerDay; ++i) {
            const char line[9] = {static_cast<char>('0' + i / 6 / 10),
                                  static_cast<char>('0' + i / 6 % 10),
                                  ':',
                                  static_cast<char>('0' + i % 6),
                                  '0',
                                  ':',
                                  '0',
                                  '0',
                                  ','};
            for (int k = 0; k < 9; ++k) {
                text[i][k] = line[k];
            }
        }
    }
};
constexpr TimesOfDay kTimesOfDay{};
} // namespace

std::size_t RecordLineFormatter::csvLine(const LogRecord& r, char* out) {
    const std::uint32_t day = r.timeCount / LogCalendar::kIntervalsPerDay;
    if (day != m_cachedDay) {
        const CalendarTime t = LogCalendar::decode(r.timeCount);
        char* p = m_date;
        p = NumberText::zeroPadded(p, t.month, 2);
        *p++ = '/';
        p = NumberText::zeroPadded(p, t.day, 2);
        *p++ = '/';
        p = NumberText::zeroPadded(p, t.year, 2);
        *p++ = ',';
        m_dateLength = static_cast<std::size_t>(p - m_date);
        m_cachedDay = day;
    }
    char* p = out;
    std::memcpy(p, m_date, m_dateLength);
    p += m_dateLength;
    const std::uint32_t ofDay = r.timeCount % LogCalendar::kIntervalsPerDay;
    std::memcpy(p, kTimesOfDay.text[ofDay], 9);
    p += 9;
    p = NumberText::zeroPadded(p, r.unit, 3);
    *p++ = ',';
    p = NumberText::shortDecimal(p, r.alarmCode());
    *p++ = ',';
    p = NumberText::shortDecimal(p, LogRecord::wholeValue(r.dry));
    *p++ = ',';
    p = NumberText::shortDecimal(p, LogRecord::wholeValue(r.wet1));
    if (!r.noWet2) {
        *p++ = ',';
        p = NumberText::shortDecimal(p, LogRecord::wholeValue(r.wet2));
    }
    *p++ = '\r';
    *p++ = '\n';
    return static_cast<std::size_t>(p - out);
}

std::size_t RecordLineFormatter::dumpLine(const LogRecord& r, char* out) {
    // The dump always shows wet 2, whatever the record's no-WET2 flag says.
    char* p = out;
    p = NumberText::zeroPadded(p, r.alarmCode(), 5);
    *p++ = ' ';
    p = NumberText::zeroPadded(p, LogRecord::wholeValue(r.dry), 5);
    *p++ = ' ';
    p = NumberText::zeroPadded(p, LogRecord::wholeValue(r.wet1), 5);
    *p++ = ' ';
    p = NumberText::zeroPadded(p, LogRecord::wholeValue(r.wet2), 5);
    *p++ = ' ';
    *p++ = '\r';
    *p++ = '\n';
    return static_cast<std::size_t>(p - out);
}

std::string RecordLineFormatter::dumpOpening(const LogRecord& first) {
    const CalendarTime t = LogCalendar::decode(first.timeCount);
    char buffer[32];
    std::string text = "\r\nDUMP: ";
    text.append(buffer, NumberText::zeroPadded(buffer, t.day, 2));
    text += LogCalendar::monthName(t.month);
    text.append(buffer, NumberText::zeroPadded(buffer, t.year, 2));
    text += ' ';
    text.append(buffer, NumberText::zeroPadded(buffer, t.hour, 2));
    text += ':';
    text.append(buffer, NumberText::zeroPadded(buffer, t.minute, 2));
    text += "   [1=Alarm (30=Off, 40=Low, 50=None, 60=High), 2=Dry, 3=Wet1, 4=Wet2]\r\n";
    text += "ALRM, DRY,  WET1, WET2.\r\n";
    return text;
}

} // namespace logtools

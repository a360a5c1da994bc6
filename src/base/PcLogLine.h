#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

// The data line of a PC log, "MM/DD/YY,hh:mm:ss,NNN,SS,RRR,RRR,RRR,RRR": the stamp, the unit's
// node ID, its scale code and its three core temperatures and chamber temperature in the unit's
// own whole degrees. The desktop program writes it, the treatment record and the converters
// read it; both take its layout from here. Header only, so a generator built by hand can use it
// too.
class PcLogLine {
public:
    static constexpr int kCentigradeCode = 58;
    static constexpr int kFahrenheitCode = 135;
    // "MM/DD/YY,hh:mm:ss,"
    static constexpr std::size_t kStampLength = 18;

    static constexpr int scaleCode(bool centigrade) {
        return centigrade ? kCentigradeCode : kFahrenheitCode;
    }

    // The stamp that starts every data line, of a two-digit year.
    static std::string stamp(int month, int day, int twoDigitYear, int hour, int minute,
                             int second) {
        char text[kTextBytes];
        std::snprintf(text, sizeof text, "%02d/%02d/%02d,%02d:%02d:%02d,", month, day, twoDigitYear,
                      hour, minute, second);
        return text;
    }

    // The fields after the stamp: "%03d,%2d,%3d,%3d,%3d,%3d". A value wider than its field
    // widens it; readers take any width.
    static std::string fields(int nodeId, bool centigrade, int core1, int core2, int core3,
                              int chamber) {
        char text[kTextBytes];
        std::snprintf(text, sizeof text, "%03d,%2d,%3d,%3d,%3d,%3d", nodeId, scaleCode(centigrade),
                      core1, core2, core3, chamber);
        return text;
    }

private:
    // Wide enough for six ints of any value and their separators: nothing is ever cut short.
    static constexpr std::size_t kTextBytes = 128;
};

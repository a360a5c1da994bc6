// Any bytes as a PC log, line by line as logtreat and the Trend window read it: the line parser
// never reads outside its line, the day it remembers from earlier lines never changes a verdict,
// and a line it takes as a reading holds what the line says: eight fields, unit 1-254, scale 58
// or 135, the numbers of fields 5 to 8, and a time of 2000-2099 that is the stamp's own.
#include "tools/common/CsvLine.h"
#include "tools/treat/LogTimestamp.h"
#include "tools/treat/PcLogLineParser.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>

using namespace logtools;

namespace {
void check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

bool sameReading(const CoreReading& a, const CoreReading& b) {
    return a.time == b.time && a.unit == b.unit && a.scale == b.scale && a.core[0] == b.core[0] &&
           a.core[1] == b.core[1] && a.core[2] == b.core[2] && a.chamber == b.chamber;
}

// The reading against the line's own text, read here another way.
void checkReading(std::string_view line, const CoreReading& r) {
    check(r.unit >= 1 && r.unit <= PcLogLineParser::kLastUnit);
    std::string_view fields[7];
    check(CsvLine::split(line.substr(CsvLine::kStampLength), fields, 7) == 6);
    check(CsvLine::toInt(fields[0]) == r.unit);
    check(CsvLine::toInt(fields[1]) == (r.scale == Scale::Centigrade ? 58 : 135));
    const int temperatures[4] = {r.core[0], r.core[1], r.core[2], r.chamber};
    for (int i = 0; i < 4; ++i) {
        check(CsvLine::toInt(fields[i + 2]) == temperatures[i]);
        check(temperatures[i] >= -999999 && temperatures[i] <= 999999);
    }

    // "YYYY-MM-DD hh:mm:ss" of the time against the stamp "MM/DD/YY,hh:mm:ss".
    check(r.time >= 0 && r.time < (LogTimestamp::dayNumber(2099, 12, 31) + 1) * 86400);
    char text[LogTimestamp::kTextLength];
    check(LogTimestamp::format(text, r.time) == text + LogTimestamp::kTextLength);
    check(std::memcmp(text, "20", 2) == 0 && std::memcmp(text + 2, &line[6], 2) == 0);
    check(text[4] == '-' && std::memcmp(text + 5, &line[0], 2) == 0);
    check(text[7] == '-' && std::memcmp(text + 8, &line[3], 2) == 0);
    check(text[10] == ' ' && std::memcmp(text + 11, &line[9], 8) == 0);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    PcLogLineParser parser; // one for the whole log, as it remembers the last day it read
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        std::string_view read = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        if (!read.empty() && read.back() == '\r') {
            read.remove_suffix(1);
        }
        // The line alone in a buffer of its own length, so a read past it is caught.
        const std::unique_ptr<char[]> copy(new char[read.size()]);
        std::memcpy(copy.get(), read.data(), read.size());
        const std::string_view line(copy.get(), read.size());

        CoreReading reading;
        const char* reason = nullptr;
        const PcLogLineParser::Result result = parser.parse(line, reading, reason);

        PcLogLineParser fresh;
        CoreReading alone;
        const char* aloneReason = nullptr;
        check(fresh.parse(line, alone, aloneReason) == result);

        switch (result) {
        case PcLogLineParser::Result::NotData:
            check(!CsvLine::isDataLine(line));
            break;
        case PcLogLineParser::Result::Malformed:
            check(CsvLine::isDataLine(line));
            check(reason != nullptr && *reason != '\0' && std::strcmp(reason, aloneReason) == 0);
            break;
        case PcLogLineParser::Result::Reading:
            check(sameReading(reading, alone));
            checkReading(line, reading);
            break;
        }
    }
    return 0;
}

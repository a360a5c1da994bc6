#include "tools/common/LogRecord.h"

namespace logtools {

LogRecord LogRecord::decode(const unsigned char* b) {
    LogRecord r;
    r.unit = b[0];
    r.timeCount = static_cast<std::uint32_t>(b[1]) * 16384u +
                  static_cast<std::uint32_t>(b[2]) * 64u + static_cast<std::uint32_t>(b[3] >> 2);
    r.alarmState = b[3] & 0x03;
    r.dry = (((b[4] & 0x1F) * 256) + b[5]) >> 1;
    r.noWet2 = (b[6] & 0x80) != 0;
    r.wet1 = (((b[6] & 0x7F) * 256) + b[7]) >> 1;
    r.wet2 = ((b[8] * 256) + b[9]) >> 1;
    return r;
}

int LogRecord::alarmCode(int alarmState) {
    static constexpr int kCodes[4] = {50, 60, 40, 30};
    return kCodes[alarmState & 0x03];
}

} // namespace logtools

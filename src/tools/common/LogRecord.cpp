#include "tools/common/LogRecord.h"

namespace logtools {

int LogRecord::alarmCode(int alarmState) {
    static constexpr int kCodes[4] = {50, 60, 40, 30};
    return kCodes[alarmState & 0x03];
}

} // namespace logtools

// Any bytes as a log data file: every record decodes to lines that fit their buffer and end in
// CR LF, and the sorter gives each distinct record once in strictly ascending order.
#include "tools/common/LogRecord.h"
#include "tools/common/RecordLineFormatter.h"
#include "tools/common/RecordSorter.h"

#include <cstdlib>
#include <cstring>
#include <vector>

using namespace logtools;

namespace {
void check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

void checkLine(const char* line, std::size_t length) {
    check(length >= 2 && length <= RecordLineFormatter::kMaxLine);
    check(line[length - 2] == '\r' && line[length - 1] == '\n');
    check(std::memchr(line, '\n', length - 1) == nullptr);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    const std::size_t count = size / LogRecord::kSize;
    RecordLineFormatter formatter;
    char line[RecordLineFormatter::kMaxLine];
    for (std::size_t i = 0; i < count; ++i) {
        const LogRecord r = LogRecord::decode(data + i * LogRecord::kSize);
        check(r.unit >= 0 && r.unit <= 255);
        checkLine(line, formatter.csvLine(r, line));
        checkLine(line, RecordLineFormatter::dumpLine(r, line));
        check(RecordLineFormatter::dumpOpening(r).size() < 160);
    }

    // Chunk size from the first byte, so that the two passes are cut in varied places.
    const std::size_t chunk = size > 0 ? 1 + data[0] % 7 : 1;
    RecordSorter sorter;
    for (std::size_t i = 0; i < count; i += chunk) {
        sorter.count(data + i * LogRecord::kSize, count - i < chunk ? count - i : chunk);
    }
    std::vector<unsigned char> buffer(count * LogRecord::kSize + 1);
    sorter.beginPlacing(buffer.data());
    for (std::size_t i = 0; i < count; i += chunk) {
        check(sorter.place(data + i * LogRecord::kSize, count - i < chunk ? count - i : chunk));
    }
    std::size_t kept = 0;
    check(sorter.finish(kept));
    check(kept <= count && (count == 0 || kept > 0));
    for (std::size_t i = 1; i < kept; ++i) {
        check(
            RecordSorter::less(&buffer[(i - 1) * LogRecord::kSize], &buffer[i * LogRecord::kSize]));
    }
    // Every input record is among those kept: binary search over the sorted output.
    for (std::size_t i = 0; i < count; ++i) {
        const unsigned char* record = data + i * LogRecord::kSize;
        std::size_t low = 0;
        std::size_t high = kept;
        while (low < high) {
            const std::size_t mid = low + (high - low) / 2;
            if (RecordSorter::less(&buffer[mid * LogRecord::kSize], record)) {
                low = mid + 1;
            } else {
                high = mid;
            }
        }
        check(low < kept && RecordSorter::equal(&buffer[low * LogRecord::kSize], record));
    }
    return 0;
}

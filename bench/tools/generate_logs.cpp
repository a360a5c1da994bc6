// Realistic inputs for the log converter benchmarks.
//   generate_logs records <count> <file>   station log data: 254 units interleaved in time,
//                                          each in time order, with a few exact repeats
//   generate_logs pclog <bytes> <file>     a PC log: descriptor line, then one line per unit
//                                          and minute, CR LF line ends, in the layout of
//                                          src/base/PcLogLine.h (build with -I src)
#include "base/PcLogLine.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kUnits = 254;

void putRecord(std::vector<unsigned char>& out, int unit, unsigned time, int alarm, int dry,
               int wet1, int wet2, bool noWet2) {
    const unsigned char r[10] = {
        static_cast<unsigned char>(unit),
        static_cast<unsigned char>(time >> 14),
        static_cast<unsigned char>(time >> 6),
        static_cast<unsigned char>(((time & 0x3F) << 2) | (alarm & 3)),
        static_cast<unsigned char>((dry >> 7) & 0x1F),
        static_cast<unsigned char>((dry & 0x7F) << 1),
        static_cast<unsigned char>(((wet1 >> 7) & 0x7F) | (noWet2 ? 0x80 : 0)),
        static_cast<unsigned char>((wet1 & 0x7F) << 1),
        static_cast<unsigned char>(wet2 >> 7),
        static_cast<unsigned char>((wet2 & 0x7F) << 1),
    };
    out.insert(out.end(), r, r + 10);
}

int records(long long count, const char* path) {
    std::mt19937 random(2006);
    std::vector<int> dry(kUnits + 1, 1500);
    std::FILE* file = std::fopen(path, "wb");
    if (file == nullptr) {
        return 1;
    }
    std::vector<unsigned char> block;
    long long written = 0;
    unsigned time = 4 * 52704; // year 04
    while (written < count) {
        block.clear();
        for (int unit = 1; unit <= kUnits && written < count; ++unit, ++written) {
            dry[unit] =
                std::max(0, std::min(4095, dry[unit] + static_cast<int>(random() % 21) - 10));
            putRecord(block, unit, time & 0x3FFFFF, static_cast<int>(random() % 16 == 0), dry[unit],
                      dry[unit] - 40 > 0 ? dry[unit] - 40 : 0, dry[unit] / 2, unit % 5 == 0);
            if (random() % 200000 == 0 && written + 1 < count) {
                // The station sometimes stores a reading twice.
                const std::vector<unsigned char> last(block.end() - 10, block.end());
                block.insert(block.end(), last.begin(), last.end());
                ++written;
            }
        }
        std::fwrite(block.data(), 1, block.size(), file);
        ++time;
    }
    std::fclose(file);
    return 0;
}

int pclog(long long bytes, const char* path) {
    std::FILE* file = std::fopen(path, "wb");
    if (file == nullptr) {
        return 1;
    }
    std::mt19937 random(1206);
    long long written = std::fprintf(file, "Night charge, kilns 1-254, operator log of the drying "
                                           "schedule for the December batch\r\n");
    for (long long minute = 0; written < bytes; ++minute) {
        const int hour = static_cast<int>(minute / 60 % 24);
        const int day = static_cast<int>(1 + minute / 1440 % 28);
        for (int unit = 1; unit <= kUnits && written < bytes; ++unit) {
            const int base = 50 + static_cast<int>(random() % 20);
            const std::string line =
                PcLogLine::stamp(12, day, 6, hour, static_cast<int>(minute % 60), 0) +
                PcLogLine::fields(unit, unit % 3 != 0, base, base + 1, base - 1, base + 5) + "\r\n";
            written += static_cast<long long>(std::fwrite(line.data(), 1, line.size(), file));
        }
    }
    std::fclose(file);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fputs("usage: generate_logs records|pclog <count|bytes> <file>\n", stderr);
        return 2;
    }
    const long long amount = std::atoll(argv[2]);
    if (std::strcmp(argv[1], "records") == 0) {
        return records(amount, argv[3]);
    }
    if (std::strcmp(argv[1], "pclog") == 0) {
        return pclog(amount, argv[3]);
    }
    return 2;
}

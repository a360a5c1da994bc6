#include "RecordTestData.h"

#include "tools/common/RecordSorter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <vector>

namespace logtools {
namespace {

using test::encodeRecord;

// Feeds the records in chunks of the given size, as the program reads them.
bool sortRecords(const std::string& input, std::size_t chunkRecords, std::string& sorted) {
    const std::size_t count = input.size() / 10;
    const auto* bytes = reinterpret_cast<const unsigned char*>(input.data());
    RecordSorter sorter;
    for (std::size_t i = 0; i < count; i += chunkRecords) {
        sorter.count(bytes + i * 10, std::min(chunkRecords, count - i));
    }
    std::vector<unsigned char> buffer(count * 10 + 1);
    sorter.beginPlacing(buffer.data());
    for (std::size_t i = 0; i < count; i += chunkRecords) {
        if (!sorter.place(bytes + i * 10, std::min(chunkRecords, count - i))) {
            return false;
        }
    }
    std::size_t kept = 0;
    if (!sorter.finish(kept)) {
        return false;
    }
    sorted.assign(reinterpret_cast<const char*>(buffer.data()), kept * 10);
    return true;
}

std::string distinctInOrder(const std::string& input) {
    std::set<std::string> records;
    for (std::size_t i = 0; i + 10 <= input.size(); i += 10) {
        records.insert(input.substr(i, 10));
    }
    std::string out;
    for (const std::string& r : records) {
        out += r;
    }
    return out;
}

// Units interleaved in time, each in time order, with some repeats and, when asked, some
// records out of place.
std::string stationLog(unsigned seed, int records, int units, int displaced) {
    std::mt19937 random(seed);
    std::vector<std::string> out;
    for (int i = 0; i < records; ++i) {
        test::RecordFields f;
        f.unit = 1 + i % units;
        f.timeCount = static_cast<std::uint32_t>(1000 + i / units);
        f.alarmState = static_cast<int>(random() % 4);
        f.dry = static_cast<int>(random() % 4096);
        f.wet1 = static_cast<int>(random() % 16384);
        f.wet2 = static_cast<int>(random() % 32768);
        out.push_back(encodeRecord(f));
        if (random() % 50 == 0) {
            out.push_back(out.back());
        }
    }
    for (int i = 0; i < displaced; ++i) {
        std::swap(out[random() % out.size()], out[random() % out.size()]);
    }
    std::string joined;
    for (const std::string& r : out) {
        joined += r;
    }
    return joined;
}

TEST(RecordSorter, GivesEachDistinctRecordOnceInByteOrder) {
    for (const int displaced : {0, 3, 400}) {
        for (const std::size_t chunk : {std::size_t{1}, std::size_t{7}, std::size_t{100000}}) {
            const std::string input =
                stationLog(17u + static_cast<unsigned>(displaced), 3000, 12, displaced);
            std::string sorted;
            ASSERT_TRUE(sortRecords(input, chunk, sorted));
            EXPECT_EQ(sorted, distinctInOrder(input)) << displaced << " " << chunk;
        }
    }
}

TEST(RecordSorter, SortsAUnitThatIsNowhereNearTimeOrder) {
    std::mt19937 random(5);
    std::string input;
    for (int i = 0; i < 5000; ++i) {
        std::string record(10, '\0');
        for (char& c : record) {
            c = static_cast<char>(random() % 3); // few values: many exact repeats and ties
        }
        input += record;
    }
    std::string sorted;
    ASSERT_TRUE(sortRecords(input, 64, sorted));
    EXPECT_EQ(sorted, distinctInOrder(input));
}

TEST(RecordSorter, RefusesRecordsThatChangedBetweenThePasses) {
    const std::string first = std::string(10, '\x01') + std::string(10, '\x02');
    const std::string second = std::string(10, '\x01') + std::string(10, '\x01');
    RecordSorter sorter;
    sorter.count(reinterpret_cast<const unsigned char*>(first.data()), 2);
    std::vector<unsigned char> buffer(21);
    sorter.beginPlacing(buffer.data());
    EXPECT_FALSE(sorter.place(reinterpret_cast<const unsigned char*>(second.data()), 2));

    RecordSorter shortened;
    shortened.count(reinterpret_cast<const unsigned char*>(first.data()), 2);
    shortened.beginPlacing(buffer.data());
    ASSERT_TRUE(shortened.place(reinterpret_cast<const unsigned char*>(first.data()), 1));
    std::size_t kept = 0;
    EXPECT_FALSE(shortened.finish(kept));
}

} // namespace
} // namespace logtools

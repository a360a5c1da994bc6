#pragma once

#include "sim/ReplyOutcome.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace farmsim {

class SimUnit;

// The alarm/monitoring station at node 255. It keeps a log of unit readings as 10-byte records
// and answers the size query with the number of bytes that log holds.
class AlarmStation {
public:
    static constexpr int kNodeId = 255;
    static constexpr std::size_t kRecordSize = 10;
    using Record = std::array<std::uint8_t, kRecordSize>;

    AlarmStation(std::uint32_t startTimeCount, std::size_t capacityBytes);

    // Logs one reading of the unit taken at simMs. A full log keeps its oldest records and
    // takes no more.
    void Log(const SimUnit& unit, std::int64_t simMs);

    // 255, 'D', the 24-bit byte count, checksum.
    std::array<std::uint8_t, 7> SizeReply() const;

    std::uint32_t ByteCount() const { return static_cast<std::uint32_t>(log_.size()); }
    std::size_t RecordCount() const { return log_.size() / kRecordSize; }
    const std::vector<std::uint8_t>& LogBytes() const { return log_; }

    // Alarm state: 0 none, 1 high, 2 low, 3 off. Values are in tenths of a degree; the fields
    // are 12, 14 and 15 bits wide and take what fits.
    static Record EncodeRecord(std::uint8_t unitId, std::uint32_t timeCount, int alarmState,
                               int dryTenths, int wet1Tenths, int wet2Tenths, bool noWet2);

    std::uint64_t QueriesSeen() const { return queriesSeen_; }
    const ReplyOutcome& LastOutcome() const { return lastOutcome_; }
    void NoteQuery() { ++queriesSeen_; }
    void NoteOutcome(const ReplyOutcome& outcome) { lastOutcome_ = outcome; }

private:
    std::uint32_t startTimeCount_;
    std::size_t capacityBytes_;
    std::vector<std::uint8_t> log_;
    std::uint64_t queriesSeen_ = 0;
    ReplyOutcome lastOutcome_;
};

} // namespace farmsim

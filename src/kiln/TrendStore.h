#pragma once

#include "kiln/KilnRecord.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

// One reading of a unit as the PC log would hold it: temperatures in the unit's own scale.
struct TrendSample {
    std::int64_t time = 0; // local seconds since 2000-01-01
    std::array<int, 3> core{};
    int chamber = 0;
    bool centigrade = false;
    bool gapBefore = false;       // the unit went silent between the sample before and this one
    std::uint8_t invalidMask = 0; // bit 0-2: core 1-3 had no valid reading, bit 3: the chamber
};

// The temperatures of every unit of the connected farm, kept in memory for the connection.
//
// Bound: at most one sample per unit per clock minute (the first good reply of the minute) and
// at most kMaxSamplesPerUnit samples per unit, the oldest dropped first, so a unit keeps its
// last 24 hours at most. A sample takes kSampleBytes; a 254-unit farm therefore never holds
// more than 254 * 1440 * 16 bytes (5.6 MiB) of samples. On such a farm each unit is asked only
// every four minutes or so: a simulated day with line faults leaves about 310 samples a unit,
// 1.4 MiB in all.
class TrendStore {
public:
    static constexpr int kUnitCount = 254;
    static constexpr std::size_t kMaxSamplesPerUnit = 1440;
    static constexpr std::int64_t kSecondsPerSample = 60;

    // A new connection starting at the given local time: every unit's samples are dropped.
    void Reset(std::int64_t connectionStart);
    // A decoded good reply of the unit. Ignored for a node outside 1..254, a time before the
    // connection started or in the same minute as the unit's latest sample.
    void AddReading(int nodeId, std::int64_t time, const KilnRecord& record);
    void AddSample(int nodeId, const TrendSample& sample);
    // The unit was given up: its next sample starts after a gap.
    void NoteSilence(int nodeId);

    // The unit's samples in time order; none for a node outside 1..254.
    std::vector<TrendSample> Samples(int nodeId) const;
    std::size_t SampleCount(int nodeId) const;
    std::int64_t ConnectionStart() const { return m_start; }
    // Bytes the store holds: itself and every unit's samples, reserved capacity included.
    std::size_t MemoryBytes() const;
    // Counts each Reset, so a view can tell that a new connection started.
    std::uint32_t Connection() const { return m_connection; }

private:
    // Packed: time from the connection's start, temperatures in 16 bits.
    struct Packed {
        std::int32_t offset;
        std::array<std::int16_t, 4> rtd;
        std::uint8_t flags; // bit 0: centigrade, bit 1: gap before, bits 4-7: invalid mask
    };

public:
    static constexpr std::size_t kSampleBytes = sizeof(Packed);

private:
    struct Ring {
        std::vector<Packed> samples; // grows up to kMaxSamplesPerUnit, then wraps
        std::size_t head = 0;        // index of the oldest once full
        bool gapPending = false;
        std::int64_t lastMinute = -1;
    };

    static TrendSample Unpack(const Packed& packed, std::int64_t start);

    std::array<Ring, kUnitCount> m_units{};
    std::int64_t m_start = 0;
    std::uint32_t m_connection = 0;
};

#include "kiln/TrendStore.h"

#include "kiln/KilnDecoding.h"

#include <algorithm>
#include <limits>

static_assert(TrendStore::kSampleBytes <= 16, "a trend sample stays within 16 bytes");

void TrendStore::Reset(std::int64_t connectionStart) {
    for (Ring& ring : m_units) {
        // Give the memory back: a new connection may be to a much smaller farm.
        std::vector<Packed>().swap(ring.samples);
        ring = Ring{};
    }
    m_start = connectionStart;
    ++m_connection;
}

void TrendStore::AddReading(int nodeId, std::int64_t time, const KilnRecord& record) {
    TrendSample sample;
    sample.time = time;
    sample.centigrade = record.m_bCentigrade != 0;
    int values[4] = {};
    for (std::size_t i = 0; i < 4; ++i) {
        const auto raw = static_cast<std::int16_t>(record.m_wRtd[i]);
        // Converted as the PC log converts them, so the log and the trend show the same figure.
        values[i] = ConvertRawTemperature(true, sample.centigrade, raw);
        if (!HasValidReading(raw)) {
            sample.invalidMask = static_cast<std::uint8_t>(sample.invalidMask | (1u << i));
        }
    }
    sample.core = {values[0], values[1], values[2]};
    sample.chamber = values[3];
    AddSample(nodeId, sample);
}

void TrendStore::AddSample(int nodeId, const TrendSample& sample) {
    if (nodeId < 1 || nodeId > kUnitCount || sample.time < m_start) {
        return;
    }
    const std::int64_t offset = sample.time - m_start;
    if (offset > std::numeric_limits<std::int32_t>::max()) {
        return;
    }
    Ring& ring = m_units[static_cast<std::size_t>(nodeId - 1)];
    const std::int64_t minute = sample.time / kSecondsPerSample;
    if (minute <= ring.lastMinute) {
        return;
    }
    ring.lastMinute = minute;
    const auto clamp16 = [](int v) {
        return static_cast<std::int16_t>(std::clamp(v, -32768, 32767));
    };
    Packed packed{};
    packed.offset = static_cast<std::int32_t>(offset);
    packed.rtd = {clamp16(sample.core[0]), clamp16(sample.core[1]), clamp16(sample.core[2]),
                  clamp16(sample.chamber)};
    packed.flags = static_cast<std::uint8_t>((sample.centigrade ? 1u : 0u) |
                                             ((ring.gapPending || sample.gapBefore) ? 2u : 0u) |
                                             ((sample.invalidMask & 0x0Fu) << 4));
    ring.gapPending = false;
    if (ring.samples.size() < kMaxSamplesPerUnit) {
        // Grown an hour's samples at a time, so the capacity stays close to what is held and
        // never passes the bound, as doubling would.
        if (ring.samples.size() == ring.samples.capacity()) {
            ring.samples.reserve(std::min(kMaxSamplesPerUnit, ring.samples.size() + 60));
        }
        ring.samples.push_back(packed);
    } else {
        ring.samples[ring.head] = packed;
        ring.head = (ring.head + 1) % kMaxSamplesPerUnit;
    }
}

void TrendStore::NoteSilence(int nodeId) {
    if (nodeId >= 1 && nodeId <= kUnitCount) {
        m_units[static_cast<std::size_t>(nodeId - 1)].gapPending = true;
    }
}

TrendSample TrendStore::Unpack(const Packed& packed, std::int64_t start) {
    TrendSample sample;
    sample.time = start + packed.offset;
    sample.core = {packed.rtd[0], packed.rtd[1], packed.rtd[2]};
    sample.chamber = packed.rtd[3];
    sample.centigrade = (packed.flags & 1u) != 0;
    sample.gapBefore = (packed.flags & 2u) != 0;
    sample.invalidMask = static_cast<std::uint8_t>(packed.flags >> 4);
    return sample;
}

std::vector<TrendSample> TrendStore::Samples(int nodeId) const {
    std::vector<TrendSample> out;
    if (nodeId < 1 || nodeId > kUnitCount) {
        return out;
    }
    const Ring& ring = m_units[static_cast<std::size_t>(nodeId - 1)];
    const std::size_t n = ring.samples.size();
    out.reserve(n);
    for (std::size_t i = 0; i < n; ++i) {
        out.push_back(Unpack(ring.samples[(ring.head + i) % n], m_start));
    }
    return out;
}

std::size_t TrendStore::SampleCount(int nodeId) const {
    if (nodeId < 1 || nodeId > kUnitCount) {
        return 0;
    }
    return m_units[static_cast<std::size_t>(nodeId - 1)].samples.size();
}

std::size_t TrendStore::MemoryBytes() const {
    std::size_t bytes = sizeof(*this);
    for (const Ring& ring : m_units) {
        bytes += ring.samples.capacity() * sizeof(Packed);
    }
    return bytes;
}

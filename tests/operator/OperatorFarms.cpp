#include "OperatorFarms.h"

#include "OperatorLine.h"

#include <algorithm>

OperatorFarms::OperatorFarms(const std::vector<farmsim::FarmConfig>& farms, std::uint64_t lineSeed)
    : m_adapterPresent(farms.size(), true), m_built(farms.size()), m_repliesSeen(farms.size()),
      m_random(lineSeed) {
    for (const farmsim::FarmConfig& config : farms) {
        m_farms.push_back(std::make_unique<farmsim::Farm>(config));
    }
}

const std::vector<OperatorFarms::Reply>& OperatorFarms::Built(int farmIndex, int nodeId) const {
    static const std::vector<Reply> kNone;
    if (farmIndex < 0 || farmIndex >= FarmCount() || nodeId < 0 || nodeId > 255) {
        return kNone;
    }
    return m_built[static_cast<std::size_t>(farmIndex)][static_cast<std::size_t>(nodeId)];
}

void OperatorFarms::RunUntil(std::int64_t nowMs) {
    std::uniform_int_distribution<int> chunkGap(5, 45);
    while (m_nowMs < nowMs) {
        // Uneven chunks while the open farm has something on the line; idle stretches at once.
        std::int64_t next = nowMs;
        if (m_iOpenFarm >= 0) {
            if (const auto activity = Farm(m_iOpenFarm).NextActivityMs()) {
                const std::int64_t busy = std::max(*activity, m_nowMs + 1);
                next = std::min(next, std::max(busy, m_nowMs + chunkGap(m_random)));
            }
        }
        Deliver(next);
    }
}

void OperatorFarms::Deliver(std::int64_t atMs) {
    m_nowMs = atMs;
    bool arrived = false;
    for (int farm = 0; farm < FarmCount(); ++farm) {
        // What reaches a closed port, or one whose adapter is gone, is lost.
        const auto bytes = Farm(farm).TakeOutputUpTo(atMs);
        RecordBuiltReplies(farm);
        if (farm != m_iOpenFarm || m_bLossPending) {
            continue;
        }
        for (const farmsim::TimedByte& b : bytes) {
            m_buffer.push_back(b.byte);
        }
        arrived = arrived || !bytes.empty();
    }
    if (arrived && m_pLine != nullptr) {
        m_pLine->RaiseIncomingData();
    }
}

void OperatorFarms::RecordBuiltReplies(int farmIndex) {
    const auto f = static_cast<std::size_t>(farmIndex);
    for (const farmsim::SimUnit& unit : Farm(farmIndex).Units()) {
        const auto& traffic = unit.GetTraffic();
        const auto node = static_cast<std::size_t>(unit.NodeId());
        if (!traffic.hasStatusReply || traffic.repliesSent == m_repliesSeen[f][node]) {
            continue;
        }
        m_repliesSeen[f][node] = traffic.repliesSent;
        auto& built = m_built[f][node];
        // A commit's reply counts too, and leaves the last status reply as it was.
        if (built.empty() || built.back() != traffic.lastStatusReply) {
            built.push_back(traffic.lastStatusReply);
        }
    }
}

void OperatorFarms::Pull(int farmIndex) {
    if (farmIndex < 0 || farmIndex >= FarmCount()) {
        return;
    }
    m_adapterPresent[static_cast<std::size_t>(farmIndex)] = false;
    if (farmIndex == m_iOpenFarm && !m_bLossPending) {
        m_bLossPending = true;
        m_buffer.clear();
        if (deviceGone) {
            deviceGone();
        }
    }
}

void OperatorFarms::Restore(int farmIndex) {
    if (farmIndex >= 0 && farmIndex < FarmCount()) {
        m_adapterPresent[static_cast<std::size_t>(farmIndex)] = true;
    }
}

bool OperatorFarms::AdapterPresent(int farmIndex) const {
    return farmIndex >= 0 && farmIndex < FarmCount() &&
           m_adapterPresent[static_cast<std::size_t>(farmIndex)];
}

int OperatorFarms::Open() {
    Close();
    const int farm = m_iPortNumber - 1;
    if (!AdapterPresent(farm)) {
        return 0;
    }
    m_iOpenFarm = farm;
    ++m_connection;
    // Bytes that reached the adapter before the port opened belong to nobody.
    Farm(farm).TakeOutputUpTo(m_nowMs);
    RecordBuiltReplies(farm);
    return 1;
}

int OperatorFarms::Close() {
    m_iOpenFarm = -1;
    m_bLossPending = false;
    m_buffer.clear();
    return 0;
}

int OperatorFarms::CarrierDetect() const {
    return m_iOpenFarm >= 0 && !m_bLossPending && Farm(m_iOpenFarm).Carrier() ? 1 : 0;
}

int OperatorFarms::Write(const std::uint8_t* bytes, int count) {
    if (m_iOpenFarm < 0 || m_bLossPending || bytes == nullptr || count <= 0) {
        return 0;
    }
    Farm(m_iOpenFarm).FromPc(bytes, static_cast<std::size_t>(count), m_nowMs);
    m_writes.push_back(
        {m_nowMs, m_iOpenFarm, m_connection, std::vector<std::uint8_t>(bytes, bytes + count)});
    return count;
}

int OperatorFarms::Read(std::uint8_t* bytes, int count) {
    std::vector<std::uint8_t> taken;
    while (static_cast<int>(taken.size()) < count && !m_buffer.empty()) {
        taken.push_back(m_buffer.front());
        m_buffer.pop_front();
    }
    std::copy(taken.begin(), taken.end(), bytes);
    if (!taken.empty()) {
        m_reads.push_back({m_nowMs, m_iOpenFarm, m_connection, taken});
    }
    return static_cast<int>(taken.size());
}

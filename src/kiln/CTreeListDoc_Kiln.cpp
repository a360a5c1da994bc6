// Decoding of status replies and the alarm bitmap that the annunciation reads.

#include "app/CTreeListDoc.h"

#include <algorithm>

namespace {

constexpr int kAlarmBits = 256;

} // namespace

void CTreeListDoc::KVN_To_PC(KilnRecord& record, const std::uint8_t* data) {
    DecodeStatusReply(record, data);
}

bool CTreeListDoc::KVN_To_PC(KilnRecord& record, std::span<const std::uint8_t> data) {
    if (data.size() < static_cast<std::size_t>(kDecodedPayloadBytes)) {
        return false;
    }
    DecodeStatusReply(record, data.data());
    return true;
}

void CTreeListDoc::SetAlarmBit(int nodeIndex, bool alarmed) {
    if (nodeIndex < 0 || nodeIndex >= kAlarmBits) {
        return;
    }
    std::uint32_t& word = m_kiln.m_dwAlarmBitmap[static_cast<std::size_t>(nodeIndex / 32)];
    const std::uint32_t bit = std::uint32_t{1} << (nodeIndex % 32);
    if (alarmed) {
        word |= bit;
    } else {
        word &= ~bit;
    }
}

bool CTreeListDoc::AlarmBit(int nodeIndex) const {
    if (nodeIndex < 0 || nodeIndex >= kAlarmBits) {
        return false;
    }
    const std::uint32_t word = m_kiln.m_dwAlarmBitmap[static_cast<std::size_t>(nodeIndex / 32)];
    return ((word >> (nodeIndex % 32)) & 1U) != 0;
}

bool CTreeListDoc::AnyAlarm() const {
    return std::any_of(m_kiln.m_dwAlarmBitmap.begin(), m_kiln.m_dwAlarmBitmap.end(),
                       [](std::uint32_t word) { return word != 0; });
}

KilnRecord* CTreeListDoc::GetKilnRecord(int farmIndex, int nodeIndex) {
    if (farmIndex < 0 || farmIndex >= kFarmCount) {
        return nullptr;
    }
    FarmRecord& farm = Farm(farmIndex);
    KilnRecord* record = farm.Unit(nodeIndex);
    if (record != nullptr) {
        farm.m_iSelectedNode = nodeIndex + 1;
    }
    return record;
}

void CTreeListDoc::ClearSelectedUnit(int farmIndex) {
    if (farmIndex >= 0 && farmIndex < kFarmCount) {
        Farm(farmIndex).m_iSelectedNode = 0;
    }
}

#pragma once

#include "kiln/KilnRecord.h"

#include <array>
#include <cstdint>
#include <optional>

// What the document tells the kiln list. CMyListView implements it; tests record the calls.
class KilnListView {
public:
    using UnitSlots = std::array<std::optional<KilnRecord>, 254>;

    virtual ~KilnListView() = default;
    virtual void nOTIFYoFtREEsELECTION(bool clear, int farmIndex, const UnitSlots& slots) = 0;
    virtual void NotifyOfData(int retryCountdown, int farmIndex, const KilnRecord& newRecord,
                              const KilnRecord& oldRecord, int nodeId) = 0;
    virtual void NotifyOfStartupScanStatus(bool startupScanComplete) = 0;
    virtual void nOTIFYoFsTATUS(int replyCode) = 0;
    virtual void RemoveLine(int nodeIndex, int itemIndex) = 0;
    virtual int NodeIndexOfItem(int itemIndex) const = 0;
};

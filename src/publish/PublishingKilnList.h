#pragma once

#include "kiln/KilnListView.h"
#include "publish/FarmPublisher.h"

#include <cstdint>
#include <functional>

// Stands between the document and its kiln list: passes every notice on unchanged and tells
// the publisher what it says about the units.
class PublishingKilnList : public KilnListView {
public:
    using Now = std::function<std::int64_t()>;

    PublishingKilnList(KilnListView& inner, FarmPublisher& publisher, Now now)
        : m_inner(inner), m_publisher(publisher), m_now(std::move(now)) {}

    void nOTIFYoFtREEsELECTION(bool clear, int farmIndex, const UnitSlots& units) override {
        m_inner.nOTIFYoFtREEsELECTION(clear, farmIndex, units);
        m_publisher.UnitsShown(farmIndex, units, m_now());
    }
    void NotifyOfData(int retryCountdown, int farmIndex, const KilnRecord& newRecord,
                      const KilnRecord& oldRecord, int nodeId) override {
        m_inner.NotifyOfData(retryCountdown, farmIndex, newRecord, oldRecord, nodeId);
        m_publisher.UnitData(farmIndex, newRecord, oldRecord, nodeId, m_now());
    }
    void NotifyOfStartupScanStatus(bool startupScanComplete) override {
        m_inner.NotifyOfStartupScanStatus(startupScanComplete);
    }
    void nOTIFYoFsTATUS(int replyCode) override { m_inner.nOTIFYoFsTATUS(replyCode); }
    void RemoveLine(int nodeIndex, int itemIndex) override {
        m_inner.RemoveLine(nodeIndex, itemIndex);
    }
    int NodeIndexOfItem(int itemIndex) const override { return m_inner.NodeIndexOfItem(itemIndex); }

private:
    KilnListView& m_inner;
    FarmPublisher& m_publisher;
    Now m_now;
};

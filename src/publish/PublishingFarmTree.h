#pragma once

#include "kiln/FarmTreeView.h"
#include "publish/FarmPublisher.h"

#include <cstdint>
#include <functional>

// Stands between the document and its farm tree: passes the connection notices on and tells
// the publisher.
class PublishingFarmTree : public FarmTreeView {
public:
    using Now = std::function<std::int64_t()>;

    PublishingFarmTree(FarmTreeView& inner, FarmPublisher& publisher, Now now)
        : m_inner(inner), m_publisher(publisher), m_now(std::move(now)) {}

    void NotifyOfConnection(int farmIndex) override {
        m_inner.NotifyOfConnection(farmIndex);
        m_publisher.FarmConnected(farmIndex, m_now());
    }
    void NotifyOfDisconnection(int farmIndex) override {
        m_inner.NotifyOfDisconnection(farmIndex);
        m_publisher.FarmDisconnected(farmIndex, m_now());
    }

private:
    FarmTreeView& m_inner;
    FarmPublisher& m_publisher;
    Now m_now;
};

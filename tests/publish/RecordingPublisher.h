#pragma once

#include "publish/Publisher.h"

#include <utility>
#include <vector>

// A broker that takes what it is handed while "connected", and refuses it otherwise.
class RecordingPublisher : public Publisher {
public:
    bool connected = true;
    std::vector<PublishMessage> sent;
    std::vector<std::string> notices;

    std::uint64_t sessions = 1;

    bool Connected() const override { return connected; }
    std::uint64_t Sessions() const override { return sessions; }
    bool Send(const PublishMessage& message) override {
        if (!connected) {
            return false;
        }
        sent.push_back(message);
        return true;
    }
    std::vector<std::string> TakeNotices() override { return std::exchange(notices, {}); }
};

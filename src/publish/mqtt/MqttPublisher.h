#pragma once

#include "publish/PublishConfig.h"
#include "publish/Publisher.h"

#include <memory>
#include <string>

// The publisher over MQTT (libmosquitto). The connection lives on a thread of its own: it is
// made, lost and made again there, with a back-off from 1 to 30 seconds, so Send only hands a
// message to the client's memory and never waits on the network. Messages handed over at QoS 1
// stay with the client until the broker acknowledges them, across reconnections; at most
// kMaxOutstanding are held there, beyond which Send says no and the caller's queue keeps them.
// The program subscribes to nothing.
class MqttPublisher : public Publisher {
public:
    static constexpr int kMaxOutstanding = 1000;
    static constexpr int kKeepAliveSeconds = 30;

    // config must have passed Validate; willTopic and willPayload are what the broker publishes
    // (retained, QoS 1) when the connection breaks without a goodbye.
    MqttPublisher(const PublishConfig& config, const std::string& password,
                  const std::string& willTopic, const std::string& willPayload);
    // Says goodbye to the broker, giving what was handed over up to two seconds to go out.
    ~MqttPublisher() override;
    MqttPublisher(const MqttPublisher&) = delete;
    MqttPublisher& operator=(const MqttPublisher&) = delete;

    // False with a message when the client could not be set up (a bad CA file, no memory);
    // the connection itself is tried on the thread, and its failures come as notices.
    bool Start(std::string& error);

    bool Connected() const override;
    std::uint64_t Sessions() const override;
    bool Send(const PublishMessage& message) override;
    std::vector<std::string> TakeNotices() override;

    // Messages handed over and not yet acknowledged.
    int Outstanding() const;

    struct Shared;

private:
    std::shared_ptr<Shared> m_shared;
};

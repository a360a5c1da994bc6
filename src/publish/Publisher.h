#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One message for the broker.
struct PublishMessage {
    enum class Kind { Reading, FarmState, ProgramState, Event };
    Kind kind = Kind::Event;
    std::string topic;
    std::string payload;
    int qos = 1;
    bool retain = false;

    bool operator==(const PublishMessage&) const = default;
};

// The seam to the broker. An implementation never waits: Send hands the message over or says
// at once that it cannot, and the connection is made, lost and made again behind it.
class Publisher {
public:
    virtual ~Publisher() = default;
    // True while the broker has accepted the connection.
    virtual bool Connected() const = 0;
    // Counts the connections the broker accepted, so a caller that looks once a second still
    // sees a connection that was lost and made again in between.
    virtual std::uint64_t Sessions() const = 0;
    // Hands the message to the client; false when it cannot take it now (not connected, or
    // its own buffer full), and the caller keeps it.
    virtual bool Send(const PublishMessage& message) = 0;
    // What the operator should be told since the last call (a refused login, a TLS failure),
    // one sentence each.
    virtual std::vector<std::string> TakeNotices() = 0;
};

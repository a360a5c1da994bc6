#pragma once

#include "publish/Publisher.h"

#include <cstddef>
#include <cstdint>
#include <list>
#include <string>
#include <unordered_map>

// The messages waiting for the broker, bounded. A retained message replaces the one waiting
// for the same topic (only the newest state of a unit matters); events are kept in order.
// When it is full the oldest reading goes first, then the oldest event; each message dropped
// is counted.
class PublishQueue {
public:
    static constexpr std::size_t kDefaultCapacity = 4096;

    explicit PublishQueue(std::size_t capacity = kDefaultCapacity)
        : m_capacity(capacity == 0 ? 1 : capacity) {}

    void Push(PublishMessage message);
    bool Empty() const { return m_messages.empty(); }
    std::size_t Size() const { return m_messages.size(); }
    std::size_t Capacity() const { return m_capacity; }
    // The oldest message; the queue must not be empty.
    const PublishMessage& Front() const { return m_messages.front(); }
    void PopFront();

    // Messages dropped since the last TakeDropped.
    std::uint64_t Dropped() const { return m_dropped; }
    std::uint64_t TakeDropped();

private:
    using Messages = std::list<PublishMessage>;
    void Erase(Messages::iterator it);
    bool DropOldest(PublishMessage::Kind kind);

    std::size_t m_capacity;
    Messages m_messages;
    std::unordered_map<std::string, Messages::iterator> m_retained; // by topic
    std::uint64_t m_dropped = 0;
};

#include "publish/PublishQueue.h"

#include <utility>

void PublishQueue::Erase(Messages::iterator it) {
    if (it->retain) {
        m_retained.erase(it->topic);
    }
    m_messages.erase(it);
}

bool PublishQueue::DropOldest(PublishMessage::Kind kind) {
    for (auto it = m_messages.begin(); it != m_messages.end(); ++it) {
        if (it->kind == kind) {
            Erase(it);
            ++m_dropped;
            return true;
        }
    }
    return false;
}

void PublishQueue::Push(PublishMessage message) {
    if (message.retain) {
        if (const auto found = m_retained.find(message.topic); found != m_retained.end()) {
            // The newer state takes the older one's place at the end: the broker keeps only
            // the last, and a reading that waited longest is the first to go when full.
            Erase(found->second);
        }
    }
    if (m_messages.size() >= m_capacity && !DropOldest(PublishMessage::Kind::Reading) &&
        !DropOldest(PublishMessage::Kind::Event)) {
        // Full of farm and program states only: the oldest of them goes.
        Erase(m_messages.begin());
        ++m_dropped;
    }
    m_messages.push_back(std::move(message));
    if (m_messages.back().retain) {
        m_retained[m_messages.back().topic] = std::prev(m_messages.end());
    }
}

void PublishQueue::PopFront() {
    if (!m_messages.empty()) {
        Erase(m_messages.begin());
    }
}

std::uint64_t PublishQueue::TakeDropped() {
    return std::exchange(m_dropped, 0);
}

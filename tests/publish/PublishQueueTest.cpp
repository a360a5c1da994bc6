#include "publish/PublishQueue.h"

#include <gtest/gtest.h>

namespace {

PublishMessage Reading(const std::string& topic, const std::string& payload) {
    return {PublishMessage::Kind::Reading, topic, payload, 1, true};
}

PublishMessage Event(const std::string& payload) {
    return {PublishMessage::Kind::Event, "e", payload, 1, false};
}

std::vector<std::string> Drain(PublishQueue& queue) {
    std::vector<std::string> payloads;
    while (!queue.Empty()) {
        payloads.push_back(queue.Front().payload);
        queue.PopFront();
    }
    return payloads;
}

} // namespace

TEST(PublishQueue, KeepsOnlyTheNewestStateOfATopicAndEveryEventInOrder) {
    PublishQueue queue(10);
    queue.Push(Reading("u1", "a"));
    queue.Push(Event("e1"));
    queue.Push(Reading("u2", "b"));
    queue.Push(Reading("u1", "c"));
    queue.Push(Event("e2"));
    EXPECT_EQ(Drain(queue), (std::vector<std::string>{"e1", "b", "c", "e2"}));
    EXPECT_EQ(queue.Dropped(), 0u);
}

TEST(PublishQueue, WhenFullTheOldestReadingsGoFirstThenTheOldestEvents) {
    PublishQueue queue(3);
    queue.Push(Reading("u1", "r1"));
    queue.Push(Event("e1"));
    queue.Push(Reading("u2", "r2"));
    queue.Push(Event("e2")); // r1 goes
    queue.Push(Event("e3")); // r2 goes
    EXPECT_EQ(queue.Dropped(), 2u);
    queue.Push(Event("e4")); // no reading left: e1 goes
    EXPECT_EQ(Drain(queue), (std::vector<std::string>{"e2", "e3", "e4"}));
    EXPECT_EQ(queue.TakeDropped(), 3u);
    EXPECT_EQ(queue.Dropped(), 0u);
}

TEST(PublishQueue, AReplacedStateIsNotCountedAsDroppedAndNeverOverfills) {
    PublishQueue queue(2);
    for (int i = 0; i < 100; ++i) {
        queue.Push(Reading("u" + std::to_string(i % 2), std::to_string(i)));
    }
    EXPECT_EQ(queue.Size(), 2u);
    EXPECT_EQ(queue.Dropped(), 0u);
    EXPECT_EQ(Drain(queue), (std::vector<std::string>{"98", "99"}));
    queue.PopFront(); // empty: nothing happens
}

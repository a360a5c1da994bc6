#include "net/CSimpleQueue.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<int> Drain(CSimpleQueue& queue) {
    std::vector<int> out;
    while (!queue.IsEmpty()) {
        out.push_back(queue.Delete());
    }
    return out;
}

} // namespace

TEST(NodeQueue, HandsOutNodesOldestFirst) {
    CSimpleQueue queue;
    queue.Add(3);
    queue.Add(7);
    queue.Add(5);
    EXPECT_EQ(Drain(queue), (std::vector<int>{3, 7, 5}));
}

TEST(NodeQueue, SeekAndDeleteRemovesTheNewestOccurrence) {
    CSimpleQueue queue;
    queue.Add(4);
    queue.Add(9);
    queue.Add(4);
    queue.SeekAndDelete(4);
    EXPECT_EQ(Drain(queue), (std::vector<int>{4, 9}));
}

TEST(NodeQueue, SeekAndDeleteOfAnAbsentNodeChangesNothing) {
    CSimpleQueue queue;
    queue.Add(1);
    queue.Add(2);
    queue.SeekAndDelete(8);
    EXPECT_EQ(Drain(queue), (std::vector<int>{1, 2}));
}

TEST(NodeQueue, DeleteOnAnEmptyQueueReturnsZeroAndStaysEmpty) {
    CSimpleQueue queue;
    EXPECT_EQ(queue.Delete(), 0);
    EXPECT_TRUE(queue.IsEmpty());
    queue.Add(6);
    EXPECT_EQ(queue.Delete(), 6);
}

TEST(NodeQueue, RemoveAllEmptiesAndTheQueueWorksAsNewAfterwards) {
    CSimpleQueue queue;
    queue.Add(1);
    queue.Add(1);
    queue.RemoveAll();
    EXPECT_TRUE(queue.IsEmpty());
    queue.Add(5);
    queue.Add(2);
    EXPECT_EQ(Drain(queue), (std::vector<int>{5, 2}));
}

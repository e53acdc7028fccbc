#include <gtest/gtest.h>

#include "instrument/event_queue.h"

namespace {

TEST(EventQueue, KeepsEventsInTimeOrderAndArrivalOrderForEqualTimes) {
  EventQueue queue;
  for (int delta : {40, 10, 40, 5}) {
    ASSERT_TRUE(queue.Push({delta, {0x90, static_cast<unsigned char>(queue.Size()), 1}}));
  }
  ASSERT_EQ(queue.Size(), 4);
  EXPECT_EQ(queue[0].deltaFrames, 5);
  EXPECT_EQ(queue[1].deltaFrames, 10);
  EXPECT_EQ(queue[2].data[1], 0);  // the first 40 came first
  EXPECT_EQ(queue[3].data[1], 2);
  queue.PopFront(3);
  ASSERT_EQ(queue.Size(), 1);
  EXPECT_EQ(queue[0].data[1], 2);
}

TEST(EventQueue, RefusesEventsBeyondItsCapacity) {
  EventQueue queue;
  for (int i = 0; i < EventQueue::kCapacity; ++i) ASSERT_TRUE(queue.Push({i, {}}));
  EXPECT_FALSE(queue.Push({1, {}}));
  queue.Clear();
  EXPECT_TRUE(queue.Empty());
}

}  // namespace

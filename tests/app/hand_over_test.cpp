#include "app/hand_over.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

// Two real threads; the waits are checked by what has not happened after a pause, so a slow
// machine can make a check weaker but never make it fail wrongly.

namespace {

TEST(HandOver, EveryItemArrivesInOrderThenTheEnd) {
  HandOver<int> handOver(3);
  std::thread giver([&] {
    for (int i = 0; i < 2000; ++i) ASSERT_TRUE(handOver.Give(i));
    handOver.EndGiving();
  });
  std::vector<int> taken;
  while (std::optional<int> item = handOver.Take()) taken.push_back(*item);
  giver.join();
  ASSERT_EQ(taken.size(), 2000u);
  for (int i = 0; i < 2000; ++i) ASSERT_EQ(taken[i], i);
  EXPECT_FALSE(handOver.Take().has_value()); // the end stays the end
}

TEST(HandOver, GiverWaitsWhileTheMostAreWaiting) {
  HandOver<int> handOver(2);
  std::atomic<int> given{0};
  std::thread giver([&] {
    for (int i = 0; i < 3; ++i) {
      handOver.Give(i);
      ++given;
    }
  });
  Sleep(100);
  EXPECT_EQ(given.load(), 2); // the third waits for room
  EXPECT_EQ(handOver.Take(), 0);
  giver.join();
  EXPECT_EQ(given.load(), 3);
  EXPECT_EQ(handOver.Take(), 1);
  EXPECT_EQ(handOver.Take(), 2);
}

TEST(HandOver, TakerWaitsForAnItemOrTheEnd) {
  HandOver<int> handOver(1);
  std::atomic<bool> done{false};
  std::optional<int> got = 7;
  std::thread taker([&] {
    got = handOver.Take();
    done = true;
  });
  Sleep(100);
  EXPECT_FALSE(done.load());
  handOver.EndGiving();
  taker.join();
  EXPECT_FALSE(got.has_value());
}

TEST(HandOver, StoppingReleasesAWaitingGiverAndRefusesTheRest) {
  HandOver<int> handOver(1);
  ASSERT_TRUE(handOver.Give(1));
  std::atomic<int> refused{0};
  std::thread giver([&] {
    refused += !handOver.Give(2); // waits: no room
    refused += !handOver.Give(3);
  });
  Sleep(50);
  EXPECT_FALSE(handOver.TakingStopped());
  handOver.StopTaking();
  giver.join();
  EXPECT_EQ(refused.load(), 2);
  EXPECT_TRUE(handOver.TakingStopped());
  handOver.EndGiving();
  EXPECT_FALSE(handOver.Take().has_value()); // what waited was dropped
}

} // namespace

// Auto-reset events and the wait for many of them.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <numeric>
#include <random>
#include <thread>
#include <vector>

#include "platform/Event.h"
#include "platform/PerformanceCounter.h"

namespace quorvane {
namespace {

TEST(Event, PollFindsASetEventOnceAndResetsIt) {
  Event event;
  EXPECT_FALSE(event.Poll());
  event.Set();
  event.Set();  // setting a set event leaves it set once
  EXPECT_TRUE(event.Poll());
  EXPECT_FALSE(event.Poll());
  event.Set();
  event.Reset();
  EXPECT_FALSE(event.Poll());
}

TEST(Event, WaitReturnsWhenAnotherThreadSetsIt) {
  Event event;
  std::atomic<bool> setterRan{false};
  std::thread setter([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    setterRan = true;
    event.Set();
  });
  event.Wait();
  EXPECT_TRUE(setterRan);
  EXPECT_FALSE(event.Poll());  // the wait consumed it
  setter.join();
}

TEST(Event, WaitForAllCoversEveryEventWhateverTheOrder) {
  constexpr int kCount = 128;
  std::array<Event, kCount> events;
  std::array<std::atomic<bool>, kCount> done{};
  std::vector<int> order(kCount);
  std::iota(order.begin(), order.end(), 0);
  std::shuffle(order.begin(), order.end(), std::mt19937(7));
  std::thread setter([&] {
    for (int i : order) {
      done[static_cast<std::size_t>(i)] = true;
      events[static_cast<std::size_t>(i)].Set();
      if (i % 16 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  });
  WaitForAll(events);
  for (const auto& flag : done) EXPECT_TRUE(flag);
  setter.join();
  for (auto& event : events) EXPECT_FALSE(event.Poll());
}

TEST(PerformanceCounter, AdvancesAtLeastAsFastAsItsFrequencySays) {
  const std::int64_t frequency = QueryPerformanceFrequency();
  ASSERT_GE(frequency, 1'000'000);  // at least microseconds on every system
  const auto first = QueryPerformanceCounter();
  std::this_thread::sleep_for(std::chrono::milliseconds(5));
  const auto second = QueryPerformanceCounter();
  EXPECT_GE((second - first) * 1000, 5 * frequency);
}

}  // namespace
}  // namespace quorvane

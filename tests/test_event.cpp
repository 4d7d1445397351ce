// Auto-reset events, the wait for many of them, and the performance counter.
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

using namespace std::chrono_literals;

TEST(Event, APollOrAWaitTakesASetEventOnce) {
  Event event;
  event.Set();
  event.Set();  // setting a set event leaves it set once
  EXPECT_EQ((std::array{event.Poll(), event.Poll()}), (std::array{true, false}));
  event.Set();
  event.Reset();
  EXPECT_FALSE(event.Poll());
  std::atomic<bool> setterRan{false};
  std::thread setter([&] {
    std::this_thread::sleep_for(20ms);
    setterRan = true;
    event.Set();
  });
  event.Wait();
  EXPECT_TRUE(setterRan);
  EXPECT_FALSE(event.Poll()) << "the wait took it";
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
      if (i % 16 == 0) std::this_thread::sleep_for(1ms);
    }
  });
  WaitForAll(events);
  EXPECT_TRUE(std::ranges::all_of(done, [](const auto& flag) { return flag.load(); }));
  setter.join();
  EXPECT_TRUE(std::ranges::none_of(events, [](Event& event) { return event.Poll(); })) << "all taken";
}

TEST(PerformanceCounter, AdvancesAtLeastAsFastAsItsFrequencySays) {
  const std::int64_t frequency = QueryPerformanceFrequency();
  ASSERT_GE(frequency, 1'000'000);  // at least microseconds on every system
  const auto first = QueryPerformanceCounter();
  std::this_thread::sleep_for(5ms);
  EXPECT_GE((QueryPerformanceCounter() - first) * 1000, 5 * frequency);
}

}  // namespace
}  // namespace quorvane

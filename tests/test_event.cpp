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
  EXPECT_FALSE(event.WaitFor(10ms));
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
  event.Set();
  EXPECT_TRUE(event.WaitFor(-5ms)) << "a time-out already passed still takes a set event";
  EXPECT_FALSE(event.Poll());
}

// Windows waits for at most 64 events at once: one event, one full group, and groups after it
// whose last event is set last and late, so that a wait that stopped early returns before it.
TEST(Event, WaitForAllCoversEveryEventWhateverTheOrderAndHowMany) {
  for (const std::size_t count :
       {std::size_t{1}, std::size_t{64}, std::size_t{65}, std::size_t{128}}) {
    std::vector<Event> events(count);
    std::vector<std::atomic<bool>> done(count);
    std::vector<std::size_t> order(count);
    std::iota(order.begin(), order.end(), 0);
    std::shuffle(order.begin(), order.end() - 1, std::mt19937(7));
    std::thread setter([&] {
      for (std::size_t i : order) {
        if (i + 1 == count) std::this_thread::sleep_for(50ms);
        done[i] = true;
        events[i].Set();
      }
    });
    WaitForAll(events);
    EXPECT_TRUE(std::ranges::all_of(done, [](const auto& flag) { return flag.load(); })) << count;
    setter.join();
    EXPECT_TRUE(std::ranges::none_of(events, [](Event& event) { return event.Poll(); })) << count;
  }
}

TEST(PerformanceCounter, AdvancesAtItsFrequency) {
  const std::int64_t frequency = QueryPerformanceFrequency();
  ASSERT_GE(frequency, 1'000'000);  // at least microseconds on every system
  const auto first = QueryPerformanceCounter();
  std::this_thread::sleep_for(5ms);
  const std::int64_t elapsed = QueryPerformanceCounter() - first;
  EXPECT_GE(elapsed * 1000, 5 * frequency);
  EXPECT_LT(elapsed, 5 * frequency) << "5 ms counted as 5 s or more";
}

}  // namespace
}  // namespace quorvane

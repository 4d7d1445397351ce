// Auto-reset events and the performance counter; the wait for many events is the test runner's.
#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <chrono>
#include <thread>

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

TEST(PerformanceCounter, AdvancesAtLeastAsFastAsItsFrequencySays) {
  const std::int64_t frequency = QueryPerformanceFrequency();
  ASSERT_GE(frequency, 1'000'000);  // at least microseconds on every system
  const auto first = QueryPerformanceCounter();
  std::this_thread::sleep_for(5ms);
  EXPECT_GE((QueryPerformanceCounter() - first) * 1000, 5 * frequency);
}

}  // namespace
}  // namespace quorvane

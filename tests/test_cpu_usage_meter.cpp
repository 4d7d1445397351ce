// The CPU usage meter: the percentage from two rates, the counting loop, and a counting thread
// that does not stop.
#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "disk/CpuUsageMeter.h"

namespace quorvane {
namespace {

using namespace std::chrono_literals;

TEST(CpuUsageMeter, CpuUsagePercentAtItsEdges) {
  // Equal rates, half, truncated (not rounded), faster under load (never below 0), no reference.
  const auto percent = &CpuUsagePercent;
  EXPECT_EQ((std::array{percent(1000.0, 1000.0), percent(1000.0, 500.0), percent(3.0, 1.0),
                        percent(1000.0, 1500.0), percent(0.0, 10.0)}),
            (std::array{0, 50, 66, 0, 0}));
}

TEST(CpuUsageMeter, TheCounterCountsUntilItsEventIsSetAndNoRoundWhenAlreadySet) {
  Event event;
  MeterShared shared{event};
  shared.IdleRate = -1.0;
  event.Set();
  IdleLoopCounter(shared);
  EXPECT_EQ(shared.IdleRate, 0.0);
  EXPECT_FALSE(event.Poll()) << "the poll that found it set reset it";
  std::thread setter([&event] {
    std::this_thread::sleep_for(20ms);
    event.Set();
  });
  IdleLoopCounter(shared);
  setter.join();
  EXPECT_GT(shared.IdleRate, 0.0) << "set later: rounds were counted";
}

TEST(CpuUsageMeter, AThreadThatDoesNotStopIsReportedOnceAndEndedByForce) {
  struct SetOnExit {  // set while the thread ended by force unwinds
    std::atomic<bool>& flag;
    ~SetOnExit() { flag = true; }
  };
  std::atomic<bool> ended{false};
  CpuUsageMeter meter([&ended](MeterShared&) {
    SetOnExit mark{ended};
    for (;;) std::this_thread::sleep_for(1ms);
  });
  std::vector<std::pair<std::string, std::string>> shown;
  const auto show = [&shown](std::string_view text, std::string_view caption) {
    shown.emplace_back(text, caption);
  };
  ASSERT_TRUE(meter.Start());
  EXPECT_FALSE(meter.Stop(100ms, show));  // its message is the disk test's
  EXPECT_EQ(ended.load(), ForcedEndUnwinds())
      << "the thread was ended (and unwound where the system does)";
  EXPECT_TRUE(meter.Stop(100ms, show)) << "no thread left to stop";
  EXPECT_EQ(shown.size(), 1u) << "reported once";
}

}  // namespace
}  // namespace quorvane

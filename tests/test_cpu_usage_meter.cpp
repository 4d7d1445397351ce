// The CPU usage meter: its counting loop, starting and stopping its thread, ending a thread that
// does not stop, and the percentage from two rates.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <limits>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "disk/CpuUsageMeter.h"
#include "platform/Priority.h"

namespace quorvane {
namespace {

using namespace std::chrono_literals;

// Records every message box in the order shown.
struct Messages {
  std::vector<std::pair<std::string, std::string>> shown;
  std::function<void()> onShow;

  std::function<void(std::string_view, std::string_view)> Sink() {
    return [this](std::string_view text, std::string_view caption) {
      shown.emplace_back(std::string(text), std::string(caption));
      if (onShow) onShow();
    };
  }
};

// Sets its flag when destroyed: during the unwinding of a thread ended by force, or on return.
struct SetOnExit {
  std::atomic<bool>& flag;
  ~SetOnExit() { flag = true; }
};

// A counting routine that never looks at its event.
CounterRoutine StuckCounter(std::atomic<bool>& ended) {
  return [&ended](MeterShared&) {
    SetOnExit mark{ended};
    for (;;) std::this_thread::sleep_for(1ms);
  };
}

// IdleLoopCounter with a tally of the runs begun and ended, so that a test can let a run count
// for a while after it has really begun: the counting thread has the lowest priority and may
// wait long for its first turn on a loaded machine.
struct RunTally {
  std::atomic<int> begun{0};
  std::atomic<int> ended{0};
};

CounterRoutine Tallied(RunTally& tally) {
  return [&tally](MeterShared& shared) {
    ++tally.begun;
    IdleLoopCounter(shared);
    ++tally.ended;
  };
}

// Waits (at most 10 s) until `count` reaches `value`.
bool WaitUntil(const std::atomic<int>& count, int value) {
  for (int i = 0; i < 2000 && count < value; ++i) std::this_thread::sleep_for(5ms);
  return count >= value;
}

void ExpectStopFailureMessage(const std::pair<std::string, std::string>& message) {
  EXPECT_EQ(message.first, "Thread can not be stoped.");
  EXPECT_EQ(message.second,
            "Error trying to stop the thread. The thread will be terminated.\nAborting");
}

TEST(CpuUsageMeter, IdleLoopCounterCountsUntilItsEventIsSetAndTakesTheSignal) {
  Event event;
  MeterShared shared{event};

  shared.IdleRate = -1.0;
  event.Set();
  IdleLoopCounter(shared);
  EXPECT_EQ(shared.IdleRate, 0.0) << "already set: no round counted";
  EXPECT_FALSE(event.Poll()) << "the poll that found it set reset it";

  std::thread setter([&event] {
    std::this_thread::sleep_for(20ms);
    event.Set();
  });
  IdleLoopCounter(shared);
  setter.join();
  EXPECT_GT(shared.IdleRate, 0.0);
  EXPECT_TRUE(std::isfinite(shared.IdleRate));
  EXPECT_FALSE(event.Poll());
}

TEST(CpuUsageMeter, ARunCountsAndStopsInTimeWithoutAMessage) {
  Messages messages;
  RunTally tally;
  CpuUsageMeter meter(Tallied(tally));
  EXPECT_EQ(meter.IdleRate(), 0.0);
  ASSERT_TRUE(meter.Start());
  ASSERT_TRUE(WaitUntil(tally.begun, 1));
  std::this_thread::sleep_for(20ms);
  EXPECT_TRUE(meter.Stop(2000ms, messages.Sink()));
  EXPECT_EQ(tally.ended, 1);
  EXPECT_GT(meter.IdleRate(), 0.0);
  EXPECT_TRUE(messages.shown.empty());
}

TEST(CpuUsageMeter, AnEventAlreadySetGivesZeroRoundsAndTheStopSignalStaysForTheReset) {
  Messages messages;
  RunTally tally;
  CpuUsageMeter meter(Tallied(tally));
  ASSERT_TRUE(meter.Start());
  ASSERT_TRUE(WaitUntil(tally.begun, 1));
  std::this_thread::sleep_for(20ms);
  ASSERT_TRUE(meter.Stop(2000ms, messages.Sink()));
  ASSERT_GT(meter.IdleRate(), 0.0);

  meter.MeterStopEvent().Set();
  ASSERT_TRUE(meter.Start());
  // The run ends by itself at its first poll; the stop comes after that.
  ASSERT_TRUE(WaitUntil(tally.ended, 2));
  ASSERT_TRUE(meter.Stop(2000ms, messages.Sink()));
  EXPECT_EQ(meter.IdleRate(), 0.0);
  // The thread took the early signal; the stop's own signal is still there.
  EXPECT_TRUE(meter.MeterStopEvent().Poll());

  meter.MeterStopEvent().Set();
  meter.ResetStopEvent();
  ASSERT_TRUE(meter.Start());
  ASSERT_TRUE(WaitUntil(tally.begun, 3));
  std::this_thread::sleep_for(20ms);
  ASSERT_TRUE(meter.Stop(2000ms, messages.Sink()));
  EXPECT_GT(meter.IdleRate(), 0.0) << "after the reset the run counts again";
  EXPECT_TRUE(messages.shown.empty());
}

TEST(CpuUsageMeter, AThreadThatDoesNotStopIsReportedOnceAndEndedByForce) {
  RunTally tally;
  std::atomic<bool> ended{false};
  const CounterRoutine counting = Tallied(tally);
  const CounterRoutine stuck = StuckCounter(ended);
  CpuUsageMeter meter([&](MeterShared& shared) {
    if (tally.begun == 0) {
      counting(shared);
    } else {
      stuck(shared);
    }
  });
  Messages messages;
  ASSERT_TRUE(meter.Start());
  ASSERT_TRUE(WaitUntil(tally.begun, 1));
  std::this_thread::sleep_for(20ms);
  ASSERT_TRUE(meter.Stop(2000ms, messages.Sink()));
  const double completedRate = meter.IdleRate();
  ASSERT_GT(completedRate, 0.0);

  meter.ResetStopEvent();
  ASSERT_TRUE(meter.Start());
  const auto before = std::chrono::steady_clock::now();
  EXPECT_FALSE(meter.Stop(100ms, messages.Sink()));
  EXPECT_GE(std::chrono::steady_clock::now() - before, 90ms) << "it waited for the grace period";
  ASSERT_EQ(messages.shown.size(), 1u);
  ExpectStopFailureMessage(messages.shown[0]);
  EXPECT_TRUE(ended) << "the thread was ended and unwound";
  EXPECT_EQ(meter.IdleRate(), completedRate) << "the last completed run's rate stays";

  EXPECT_TRUE(meter.Stop(100ms, messages.Sink())) << "no thread left to stop";
  EXPECT_EQ(messages.shown.size(), 1u);
}

TEST(CpuUsageMeter, AnEndSignalLeftByAForcedStopDoesNotHideTheNextStuckThread) {
  // The first thread ends by itself while the failure message is open, after its stop has timed
  // out: it signals its end, which nobody takes. The next run must not count that signal as its
  // own end.
  std::atomic<int> runs{0};
  std::atomic<bool> firstReturned{false};
  CpuUsageMeter meter([&](MeterShared&) {
    if (runs++ == 0) {
      std::this_thread::sleep_for(150ms);
      firstReturned = true;
    } else {
      std::this_thread::sleep_for(600ms);
    }
  });
  Messages messages;
  messages.onShow = [&] {
    if (messages.shown.size() != 1) return;
    for (int i = 0; i < 400 && !firstReturned; ++i) std::this_thread::sleep_for(5ms);
    std::this_thread::sleep_for(50ms);
  };
  ASSERT_TRUE(meter.Start());
  EXPECT_FALSE(meter.Stop(50ms, messages.Sink()));
  ASSERT_EQ(messages.shown.size(), 1u);

  meter.ResetStopEvent();
  ASSERT_TRUE(meter.Start());
  EXPECT_FALSE(meter.Stop(100ms, messages.Sink()));
  ASSERT_EQ(messages.shown.size(), 2u);
  ExpectStopFailureMessage(messages.shown[1]);
}

TEST(CpuUsageMeter, OneThreadAtATimeAndARefusedThreadIsReportedByStart) {
  Messages messages;
  CpuUsageMeter meter;
  EXPECT_TRUE(meter.Stop(100ms, messages.Sink())) << "never started: nothing to stop";
  ASSERT_TRUE(meter.Start());
  EXPECT_FALSE(meter.Start()) << "a run is already counting";
  EXPECT_TRUE(meter.Stop(2000ms, messages.Sink()));

  int attempts = 0;
  CpuUsageMeter refused(IdleLoopCounter, [&attempts](std::function<void()>) {
    ++attempts;
    return std::optional<std::thread>();
  });
  EXPECT_FALSE(refused.Start());
  EXPECT_EQ(attempts, 1);
  EXPECT_TRUE(refused.Stop(100ms, messages.Sink()));
  EXPECT_EQ(refused.IdleRate(), 0.0);
  EXPECT_TRUE(messages.shown.empty());
}

TEST(CpuUsageMeter, TheCountingThreadRunsAtTheLowestPriority) {
  if (IsRealTimePriority()) GTEST_SKIP() << "the test thread runs in the real-time class";
  const int own = getpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)));
  std::atomic<int> niceness{-100};
  CpuUsageMeter meter([&niceness](MeterShared& shared) {
    niceness = getpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)));
    IdleLoopCounter(shared);
  });
  Messages messages;
  ASSERT_TRUE(meter.Start());
  ASSERT_TRUE(meter.Stop(2000ms, messages.Sink()));
  EXPECT_EQ(niceness, 19);
  EXPECT_EQ(getpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid))), own)
      << "the starting thread keeps its own priority";
}

TEST(CpuUsageMeter, TheDestructorEndsAThreadStillCounting) {
  std::atomic<bool> returned{false};
  {
    CpuUsageMeter meter([&returned](MeterShared& shared) {
      SetOnExit mark{returned};
      IdleLoopCounter(shared);
    });
    ASSERT_TRUE(meter.Start());
  }
  EXPECT_TRUE(returned);

  std::atomic<bool> ended{false};
  {
    CpuUsageMeter meter(StuckCounter(ended));
    ASSERT_TRUE(meter.Start());
  }  // waits its grace period, then ends the thread by force
  EXPECT_TRUE(ended);
}

TEST(CpuUsageMeter, CpuUsagePercentFromTheTwoRates) {
  EXPECT_EQ(CpuUsagePercent(1000.0, 1000.0), 0) << "equal rates";
  EXPECT_EQ(CpuUsagePercent(1000.0, 500.0), 50) << "half";
  EXPECT_EQ(CpuUsagePercent(1000.0, 0.0), 100) << "no round during the passes";
  EXPECT_EQ(CpuUsagePercent(3.0, 1.0), 66) << "truncated, not rounded";
  EXPECT_EQ(CpuUsagePercent(1000.0, 999.999), 0);
  EXPECT_EQ(CpuUsagePercent(1000.0, 1500.0), 0) << "faster under load: never below 0";
  EXPECT_EQ(CpuUsagePercent(0.0, 0.0), 0) << "no reference";
  EXPECT_EQ(CpuUsagePercent(0.0, 10.0), 0);
  EXPECT_EQ(CpuUsagePercent(-5.0, 1.0), 0);
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  EXPECT_EQ(CpuUsagePercent(nan, 1.0), 0);
  EXPECT_EQ(CpuUsagePercent(inf, 1.0), 0);
  EXPECT_EQ(CpuUsagePercent(1000.0, nan), 0);
  EXPECT_EQ(CpuUsagePercent(1e-300, 1e300), 0) << "an overflow to -inf";
}

}  // namespace
}  // namespace quorvane

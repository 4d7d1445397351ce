// The CPU usage meter: a thread of the lowest priority that does nothing but poll its stop
// event and count the rounds; rounds per second on the idle machine against rounds per second
// during the disk work give the processor time that the disk work takes. One counting thread
// at a time; a thread that does not stop in time is ended by force.
// Threads: a meter is owned by one thread (the disk test's), which alone calls its methods; the
// counting thread it starts touches only the MeterShared it is given. Start returns at once;
// Stop and the destructor block until the counting thread has ended (at most the grace given,
// then the time a forced end takes).
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>
#include <thread>

#include "platform/Event.h"
#include "platform/WorkerThread.h"

namespace quorvane {

// Shows a failure to the user: text, then caption.
using ShowMessage = std::function<void(std::string_view text, std::string_view caption)>;

// What the counting thread shares with the thread that starts and stops it.
struct MeterShared {
  Event& MeterStopEvent;
  double IdleRate = 0.0;  // written by the counting thread just before it ends
};

// The counting loop: one zero-time-out poll of the stop event and one 64-bit increment per
// round, then IdleRate = rounds per second (0 when no time could be measured). The poll that
// finds the event set also resets it.
void IdleLoopCounter(MeterShared& shared);

// A counting routine. A routine that may not stop must pass through a poll, wait or sleep of the
// system now and then: that is where a thread ended by force stops (it unwinds from there, so it
// must not swallow that with catch (...) without rethrowing).
using CounterRoutine = std::function<void(MeterShared&)>;

class CpuUsageMeter {
 public:
  static constexpr std::string_view kStopFailedText = "Thread can not be stoped.";
  static constexpr std::string_view kStopFailedCaption =
      "Error trying to stop the thread. The thread will be terminated.\nAborting";

  // How long the destructor waits for a thread still counting before it ends it by force.
  static constexpr std::chrono::milliseconds kDestructorGrace{2000};

  // A fresh stop event for one disk test. An empty counter means IdleLoopCounter; the thread
  // starter is replaceable so that a refused thread can be tested.
  explicit CpuUsageMeter(CounterRoutine counter = IdleLoopCounter,
                         ThreadStarter startThread = StartThread);
  ~CpuUsageMeter();  // ends a thread still counting, without a message
  CpuUsageMeter(const CpuUsageMeter&) = delete;
  CpuUsageMeter& operator=(const CpuUsageMeter&) = delete;

  // Starts a counting run at the lowest priority. False when the thread could not be started,
  // or when a run is already counting (there is one counting thread at a time).
  bool Start();
  // Signals the stop event and waits up to `grace` for the thread to end. When it does not,
  // shows the stop failure through `showMessage` (once), then ends the thread by force and
  // returns false; IdleRate keeps the value of the last completed run. With no run counting
  // there is nothing to stop: true, and no message.
  bool Stop(std::chrono::milliseconds grace, const ShowMessage& showMessage);
  // Rounds per second of the last completed run.
  double IdleRate() const { return shared_.IdleRate; }
  // Clears a stop signal that no thread took (before the second run).
  void ResetStopEvent() { stopEvent_.Reset(); }

 private:
  // Signals, waits up to `grace`, and ends the thread by force when it did not end; joins it.
  // True when the thread ended by itself.
  bool EndThread(std::chrono::milliseconds grace, const ShowMessage* showMessage);

  CounterRoutine counter_;
  ThreadStarter startThread_;
  Event stopEvent_;
  Event endedEvent_;
  MeterShared shared_;
  std::optional<std::thread> thread_;
  std::atomic<int> meterThreadId_{0};  // the counting thread's kernel identifier, once it runs
};

// CPU usage in percent from the reference rate r0 and the loaded rate r1: ((r0 - r1) / r0) x 100
// truncated; 0 when r0 is 0 and never below 0.
std::int32_t CpuUsagePercent(double r0, double r1);

}  // namespace quorvane

#include "disk/CpuUsageMeter.h"

#include <cmath>
#include <utility>

#include "numeric/Conversions.h"
#include "platform/PerformanceCounter.h"
#include "platform/Priority.h"

namespace quorvane {

void IdleLoopCounter(MeterShared& shared) {
  const std::int64_t frequency = QueryPerformanceFrequency();
  std::uint64_t rounds = 0;
  const std::int64_t start = QueryPerformanceCounter();
  for (;;) {
    if (shared.MeterStopEvent.Poll()) break;
    ++rounds;
  }
  const std::int64_t end = QueryPerformanceCounter();
  const double seconds = static_cast<double>(end - start) / static_cast<double>(frequency);
  shared.IdleRate = seconds > 0.0 ? static_cast<double>(rounds) / seconds : 0.0;
}

CpuUsageMeter::CpuUsageMeter(CounterRoutine counter, ThreadStarter startThread)
    : counter_(counter ? std::move(counter) : CounterRoutine(IdleLoopCounter)),
      startThread_(startThread ? std::move(startThread) : ThreadStarter(StartThread)),
      shared_{stopEvent_} {}

CpuUsageMeter::~CpuUsageMeter() {
  if (thread_) EndThread(kDestructorGrace, nullptr);
}

bool CpuUsageMeter::Start() {
  if (thread_) return false;
  // A thread ended by force may have set it just before it was cancelled.
  endedEvent_.Reset();
  thread_ = startThread_([this] {
    const ForcedEndGuard guard;  // this thread may be ended by force
    SetLowestThreadPriority();
    meterThreadId_ = CurrentThreadId();
    counter_(shared_);
    endedEvent_.Set();
  });
  return thread_.has_value();
}

bool CpuUsageMeter::Stop(std::chrono::milliseconds grace, const ShowMessage& showMessage) {
  if (!thread_) return true;
  return EndThread(grace, &showMessage);
}

bool CpuUsageMeter::EndThread(std::chrono::milliseconds grace, const ShowMessage* showMessage) {
  // The run is over: a counting thread starved by the lowest priority may stop at once.
  if (const int threadId = meterThreadId_.exchange(0); threadId > 0) {
    RaiseToCallerPriority(thread_->native_handle(), threadId);
  }
  stopEvent_.Set();
  const bool ended = endedEvent_.WaitFor(grace);
  if (ended) {
    thread_->join();
  } else {
    if (showMessage != nullptr && *showMessage) (*showMessage)(kStopFailedText, kStopFailedCaption);
    EndThreadByForce(*thread_);
  }
  thread_.reset();
  return ended;
}

std::int32_t CpuUsagePercent(double r0, double r1) {
  if (!(r0 > 0.0) || !std::isfinite(r0)) return 0;
  const std::int32_t percent = TruncToInt32Low(((r0 - r1) / r0) * 100.0);
  return percent < 0 ? 0 : percent;
}

}  // namespace quorvane

#include "engine/TestRunner.h"

#include <string>
#include <thread>
#include <vector>

#include "engine/Score.h"
#include "engine/TestTable.h"
#include "platform/PerformanceCounter.h"
#include "platform/Priority.h"

namespace quorvane {

namespace {

constexpr std::string_view kErrorCaption = "Quorvane";

int CountSelectedTests(const TestSelection& selection) {
  int count = 0;
  for (TestId test : kAllTests) count += TestFlag(selection, test) ? 1 : 0;
  return count;
}

void ClearResultsAndReport(BenchmarkState& state) {
  for (ResultEntry& row : state.thisResults) row.code = '\0';
  for (ReportLine& line : state.ReportText) line[0] = '\0';
}

}  // namespace

TestRunner::TestRunner(ThreadStarter startThread, const WorkerRoutineTable& routines)
    : startThread_(std::move(startThread)), routines_(routines) {}

void TestRunner::OnRunSelectedTests(BenchmarkState& state, RunHost& host) {
  host.ConfirmDescription();
  if (!state.descriptionConfirmed) return;

  const std::int32_t threads = ReadValue(FieldText(state.thisMachine.threads));
  if (threads < 1 || threads > kWorkerSlots) {
    host.ShowError("The number of threads to run must be between 1 and 128. No test was run.",
                   kErrorCaption);
    return;
  }

  if (state.testSelection.RealTimePriority) SetRealTimePriority();
  host.RunStarted();

  ClearResultsAndReport(state);
  host.ReportCleared();
  state.resultCount = 0;

  const std::int64_t frequency = QueryPerformanceFrequency();
  const int steps = CountSelectedTests(state.testSelection);
  int step = 0;
  for (TestId test : kAllTests) {
    // Each flag is read when the run reaches its test.
    if (!TestFlag(state.testSelection, test)) continue;
    host.Progress({++step, steps, InfoOf(test).name});
    RunTest(state, host, test, threads, frequency);
  }

  SetNormalPriority();
  host.RunFinished();
}

void TestRunner::RunTest(BenchmarkState& state, RunHost& host, TestId test,
                         std::int32_t threads, std::int64_t frequency) {
  const TestInfo& info = InfoOf(test);
  std::int32_t workers = threads;
  if (test == TestId::Memory) {
    MemoryWorkerCount_ = MemoryWorkerCountFor(threads);
    workers = MemoryWorkerCount_;
  }
  slots_.LengthFactor = &state.testSelection.LengthFactor;
  const WorkerRoutine routine = routines_[static_cast<std::size_t>(test)];
  std::vector<std::thread> started;
  started.reserve(static_cast<std::size_t>(workers));

  const std::int64_t startCount = QueryPerformanceCounter();
  for (int i = 0; i < workers; ++i) {
    const auto slot = static_cast<std::size_t>(i);
    slots_.WorkerDoneEvents[slot].Reset();
    slots_.WorkerResults[slot] = 0;
    slots_.workerFailed[slot] = false;
    std::optional<std::thread> thread = startThread_([this, routine, i] { routine(slots_, i); });
    if (!thread) break;  // never wait for a worker that does not exist
    started.push_back(std::move(*thread));
  }
  WaitForAll(std::span<Event>(slots_.WorkerDoneEvents.data(), started.size()));
  const std::int64_t endCount = QueryPerformanceCounter();

  for (std::thread& thread : started) thread.join();

  const auto startedCount = static_cast<int>(started.size());
  if (startedCount < workers) {
    host.ShowError("The system refused to start worker thread " + std::to_string(startedCount + 1) +
                       " of " + std::to_string(workers) + " of the test " + std::string(info.name) +
                       ". The test was skipped.",
                   kErrorCaption);
    return;
  }
  int failed = 0;
  for (int i = 0; i < workers; ++i) failed += slots_.workerFailed[static_cast<std::size_t>(i)] ? 1 : 0;
  if (failed > 0) {
    host.ShowError("Not enough memory for the test " + std::string(info.name) + ": " +
                       std::to_string(failed) + " of its " + std::to_string(workers) +
                       " worker threads could not allocate their memory. The test was skipped.",
                   kErrorCaption);
    return;
  }
  if (state.resultCount >= kResultRows) {
    host.ShowError("The result table is full. The test " + std::string(info.name) +
                       " was not recorded.",
                   kErrorCaption);
    return;
  }

  const std::uint32_t score =
      ComputeScore(test, endCount - startCount, frequency, state.testSelection.LengthFactor,
                   threads, MemoryWorkerCount_);
  SetRow(state.thisResults[static_cast<std::size_t>(state.resultCount)], info.code, score);
  host.ResultsChanged();
  ++state.resultCount;
}

}  // namespace quorvane

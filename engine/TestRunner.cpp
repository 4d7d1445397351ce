#include "engine/TestRunner.h"

#include <array>
#include <exception>
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

int CountSelectedSteps(const TestSelection& selection) {
  int count = 0;
  for (TestId test : kAllTests) count += TestFlag(selection, test) ? 1 : 0;
  for (char letter = kFirstDrive; letter <= kLastDrive; ++letter) {
    count += selection.runDrive[static_cast<std::size_t>(letter - 'A')] ? 1 : 0;
  }
  return count;
}

void ClearResultsAndReport(BenchmarkState& state) {
  for (ResultEntry& row : state.thisResults) row.code = '\0';
  EmptyReportLines(state.ReportText);
}

}  // namespace

bool TestRunner::StartWorker(WorkerRoutine routine, int index, std::vector<std::thread>& started) {
  // Wrapping the routine or creating the thread may throw (no memory, no thread): that worker is
  // refused like a thread the system did not create.
  try {
    std::optional<std::thread> thread =
        startThread_([this, routine, index] { routine(slots_, index); });
    if (!thread) return false;
    started.push_back(std::move(*thread));  // room was reserved: this does not throw
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

int TestRunner::FirstWrongWorker(int workers) const {
  for (int i = 0; i < workers; ++i) {
    const KernelOutcome& outcome = slots_.outcomes[static_cast<std::size_t>(i)];
    if (outcome.knownValuesMissed || outcome.bits != slots_.outcomes[0].bits) return i;
  }
  return -1;
}

DiskTestEnvironment DiskEnvironmentFor(const std::vector<DriveMapping>& drives) {
  DiskTestEnvironment environment;
  environment.folderOf = [drives](char letter) -> std::optional<std::filesystem::path> {
    for (const DriveMapping& drive : drives) {
      if (drive.letter == letter && drive.available) return DriveFolder(drive);
    }
    return std::nullopt;
  };
  return environment;
}

TestRunner::TestRunner(ThreadStarter startThread, const WorkerRoutineTable& routines,
                       DiskTestEnvironment disk, DiskTestRoutine diskTest)
    : startThread_(std::move(startThread)),
      routines_(routines),
      disk_(std::move(disk)),
      diskTest_(diskTest) {}

void TestRunner::OnRunSelectedTests(BenchmarkState& state, RunHost& host) {
  host.ConfirmDescription();
  if (!state.descriptionConfirmed) return;
  // Every way out of a confirmed run, also a refusal or an exception, puts the normal class back.
  struct NormalPriorityOnExit {
    ~NormalPriorityOnExit() { SetNormalPriority(); }
  } normalPriorityOnExit;

  const std::int32_t threads = ReadValue(FieldText(state.thisMachine.threads));
  if (threads < kMinThreads || threads > kMaxThreads) {
    host.ShowError("The number of threads to run must be between " + std::to_string(kMinThreads) +
                       " and " + std::to_string(kMaxThreads) + ". No test was run.",
                   kErrorCaption);
    return;
  }

  if (state.testSelection.RealTimePriority) SetRealTimePriority();
  host.RunStarted();

  ClearResultsAndReport(state);
  host.ShowReport();
  state.resultCount = 0;

  const std::int64_t frequency = QueryPerformanceFrequency();
  const int steps = CountSelectedSteps(state.testSelection);
  int step = 0;
  for (TestId test : kAllTests) {
    // Each flag is read when the run reaches its test.
    if (!TestFlag(state.testSelection, test)) continue;
    host.Progress({++step, steps, InfoOf(test).name});
    RunTest(state, host, test, threads, frequency);
  }
  RunDriveSteps(state, host, step, steps);

  SetNormalPriority();  // before the wait dialog goes
  host.RunFinished();
}

int TestRunner::RunDriveSteps(BenchmarkState& state, RunHost& host, int step, int steps) {
  DiskTestEnvironment environment = disk_;
  environment.showMessage = [&host](std::string_view text, std::string_view caption) {
    host.ShowError(text, caption);
  };
  for (char letter = kFirstDrive; letter <= kLastDrive; ++letter) {
    if (!state.testSelection.runDrive[static_cast<std::size_t>(letter - 'A')]) continue;
    if (state.resultCount + kDriveBlockRows > kResultRows) {
      host.ShowError(std::string("The result table has no room for more drives: drive ") + letter +
                         " and the drives after it were not measured.",
                     kErrorCaption);
      break;
    }
    const std::string name = std::string("Disk throughput, drive ") + letter;
    host.Progress({++step, steps, name});
    std::array<std::int32_t, kDriveBlockRows> results{};
    const std::int32_t outcome =
        diskTest_(letter, 10 * state.testSelection.LengthFactor, results[0], results[1],
                    results[2], results[3], results[4], results[5], results[6], environment);
    if (outcome != 0) {
      host.ShowReport();  // nothing written for this drive
      continue;
    }
    for (int row = 0; row < kDriveBlockRows; ++row) {
      SetRow(state.thisResults[static_cast<std::size_t>(state.resultCount + row)],
             row == 0 ? letter : ' ', static_cast<std::uint32_t>(results[static_cast<std::size_t>(row)]));
    }
    state.resultCount += kDriveBlockRows;
    host.ResultsChanged();
  }
  return step;
}

void TestRunner::RunTest(BenchmarkState& state, RunHost& host, TestId test,
                         std::int32_t threads, std::int64_t frequency) {
  const TestInfo& info = InfoOf(test);
  std::int32_t workers = threads;
  if (test == TestId::Memory) {
    memoryWorkerCount_ = MemoryWorkerCountFor(threads);
    workers = memoryWorkerCount_;
  }
  slots_.LengthFactor = &state.testSelection.LengthFactor;
  const WorkerRoutine routine = routines_[static_cast<std::size_t>(test)];
  std::vector<std::thread> started;
  started.reserve(static_cast<std::size_t>(workers));

  for (KernelOutcome& outcome : slots_.outcomes) outcome = KernelOutcome{};
  const std::int64_t startCount = QueryPerformanceCounter();
  for (int i = 0; i < workers; ++i) {
    const auto slot = static_cast<std::size_t>(i);
    slots_.WorkerDoneEvents[slot].Reset();
    slots_.WorkerResults[slot] = 0;
    slots_.workerFailed[slot] = false;
    if (!StartWorker(routine, i, started)) break;  // never wait for a worker that does not exist
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
  if (const int wrong = FirstWrongWorker(workers); wrong >= 0) {
    host.ShowError("The processor computed a wrong result in the test " + std::string(info.name) +
                       " (worker thread " + std::to_string(wrong + 1) + " of " +
                       std::to_string(workers) +
                       "): the processor may be unstable or overclocked, or the program was "
                       "built wrongly. The test records no score.",
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
                   threads, memoryWorkerCount_);
  SetRow(state.thisResults[static_cast<std::size_t>(state.resultCount)], info.code, score);
  host.ResultsChanged();
  ++state.resultCount;
}

void RunRepeatedly(TestRunner& runner, BenchmarkState& state, RunHost& host, int repetitions,
                   RepeatedRuns& runs) {
  for (int repetition = 1; repetition <= repetitions; ++repetition) {
    host.RepetitionStarted(repetition, repetitions);
    runner.OnRunSelectedTests(state, host);
    runs.Add(state.thisResults);
  }
  state.resultCount = runs.WriteMedians(state.thisResults);
  host.ResultsChanged();
}

}  // namespace quorvane

#include "engine/TestRunner.h"

#include <algorithm>
#include <array>
#include <exception>
#include <string>
#include <thread>
#include <vector>

#include "engine/Score.h"
#include "engine/TestTable.h"
#include "platform/PerformanceCounter.h"
#include "platform/Priority.h"
#include "platform/ProcessorPlacement.h"
#include "platform/ProcessorTime.h"

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
    std::optional<std::thread> thread = startThread_([this, routine, index] {
      const auto slot = static_cast<std::size_t>(index);
      if (slots_.keptOn[slot] >= 0) KeepThreadOnProcessor(slots_.keptOn[slot]);
      routine(slots_, index);
      slots_.processorSeconds[slot] = ThreadProcessorSeconds();
      slots_.endedOn[slot] = CurrentProcessor();
    });
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
                       DiskTestEnvironment disk, DiskTestRoutine diskTest, SteadySettings steady)
    : startThread_(std::move(startThread)),
      routines_(routines),
      disk_(std::move(disk)),
      diskTest_(diskTest),
      steady_(steady) {}

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

  frequency_ = QueryPerformanceFrequency();  // once per run
  const int steps = CountSelectedSteps(state.testSelection);
  steadyTests_.clear();
  placement_.clear();
  const int step = state.testSelection.quickTests ? RunQuick(state, host, threads, steps)
                                                  : RunSteady(state, host, threads, steps);
  RunDriveSteps(state, host, step, steps);

  SetNormalPriority();  // before the wait dialog goes
  host.RunFinished();
}

int TestRunner::RunDriveSteps(BenchmarkState& state, RunHost& host, int step, int steps) {
  DiskTestEnvironment environment = disk_;
  environment.showMessage = [&host](std::string_view text, std::string_view caption) {
    host.ShowError(text, caption);
  };
  // A note (a leftover test file removed) is told as what it is: no failure of the drive.
  environment.showNote = [&host](std::string_view text, std::string_view) {
    host.ShowMeasurementWarning(text);
  };
  for (char letter = kFirstDrive; letter <= kLastDrive; ++letter) {
    if (!state.testSelection.runDrive[static_cast<std::size_t>(letter - 'A')]) continue;
    if (StopRequested()) break;  // after the drive measured last
    if (state.resultCount + kDriveBlockRows > kResultRows) {
      host.ShowError(std::string("The result table has no room for more drives: drive ") + letter +
                         " and the drives after it were not measured.",
                     kErrorCaption);
      break;
    }
    const std::string name = std::string("Disk throughput, drive ") + letter;
    host.Progress({++step, steps, name});
    const std::optional<DiskResults> measured =
        diskTest_(letter, 10 * state.testSelection.LengthFactor, environment);
    if (!measured) {
      host.ShowReport();  // nothing written for this drive
      continue;
    }
    const std::array<std::int32_t, kDriveBlockRows> results = measured->Rows();
    for (int row = 0; row < kDriveBlockRows; ++row) {
      SetRow(state.thisResults[static_cast<std::size_t>(state.resultCount + row)],
             row == 0 ? letter : ' ',
             static_cast<std::uint32_t>(results[static_cast<std::size_t>(row)]));
    }
    state.resultCount += kDriveBlockRows;
    host.ResultsChanged();
  }
  return step;
}

TestRunner::Interval TestRunner::MeasureInterval(TestId test, std::int32_t threads,
                                                 const std::int32_t* lengthFactor) {
  Interval interval;
  interval.workers = threads;
  if (test == TestId::Memory) {
    memoryWorkerCount_ = MemoryWorkerCountFor(threads);
    interval.workers = memoryWorkerCount_;
  }
  const int workers = interval.workers;
  slots_.LengthFactor = lengthFactor;
  const WorkerRoutine routine = routines_[static_cast<std::size_t>(test)];
  std::vector<std::thread> started;
  started.reserve(static_cast<std::size_t>(workers));

  for (KernelOutcome& outcome : slots_.outcomes) outcome = KernelOutcome{};
  const bool placed = placement_.size() == static_cast<std::size_t>(workers);
  for (int i = 0; i < workers; ++i) {
    const auto slot = static_cast<std::size_t>(i);
    slots_.keptOn[slot] = placed ? placement_[slot] : -1;
    slots_.endedOn[slot] = -1;
  }
  const std::int64_t startCount = QueryPerformanceCounter();
  for (int i = 0; i < workers; ++i) {
    const auto slot = static_cast<std::size_t>(i);
    slots_.WorkerDoneEvents[slot].Reset();
    slots_.WorkerResults[slot] = 0;
    slots_.workerFailed[slot] = false;
    slots_.processorSeconds[slot] = 0.0;
    if (!StartWorker(routine, i, started)) break;  // never wait for a worker that does not exist
  }
  WaitForAll(std::span<Event>(slots_.WorkerDoneEvents.data(), started.size()));
  const std::int64_t endCount = QueryPerformanceCounter();

  for (std::thread& thread : started) thread.join();

  interval.started = static_cast<int>(started.size());
  interval.measure.ticks = endCount - startCount;
  interval.measure.frequency = frequency_;
  interval.measure.workers = interval.started;
  interval.measure.processors = UsableProcessorCount();
  for (int i = 0; i < interval.started; ++i) {
    const auto slot = static_cast<std::size_t>(i);
    interval.measure.workerSeconds += slots_.processorSeconds[slot];
    interval.failed += slots_.workerFailed[slot] ? 1 : 0;
  }
  if (interval.started == workers && interval.failed == 0)
    interval.wrongWorker = FirstWrongWorker(workers);
  return interval;
}

bool TestRunner::ShowFailure(RunHost& host, TestId test, const Interval& interval) const {
  const std::string name(InfoOf(test).name);
  const std::string of = std::to_string(interval.workers);
  if (interval.started < interval.workers) {
    host.ShowError("The system refused to start worker thread " +
                       std::to_string(interval.started + 1) + " of " + of + " of the test " + name +
                       ". The test was skipped.",
                   kErrorCaption);
  } else if (interval.failed > 0) {
    host.ShowError("Not enough memory for the test " + name + ": " +
                       std::to_string(interval.failed) + " of its " + of +
                       " worker threads could not allocate their memory. The test was skipped.",
                   kErrorCaption);
  } else if (interval.wrongWorker >= 0) {
    host.ShowError("The processor computed a wrong result in the test " + name +
                       " (worker thread " + std::to_string(interval.wrongWorker + 1) + " of " + of +
                       "): the processor may be unstable or overclocked, or the program was "
                       "built wrongly. The test records no score.",
                   kErrorCaption);
  } else {
    return false;
  }
  return true;
}

int TestRunner::RunQuick(BenchmarkState& state, RunHost& host, std::int32_t threads, int steps) {
  int step = 0;
  for (TestId test : kAllTests) {
    // Each flag is read when the run reaches its test.
    if (!TestFlag(state.testSelection, test)) continue;
    if (StopRequested()) break;  // after the test measured last
    const TestInfo& info = InfoOf(test);
    host.Progress({++step, steps, info.name});
    const Interval interval = MeasureInterval(test, threads, &state.testSelection.LengthFactor);
    if (ShowFailure(host, test, interval)) continue;
    if (state.resultCount >= kResultRows) {
      host.ShowError(
          "The result table is full. The test " + std::string(info.name) + " was not recorded.",
          kErrorCaption);
      continue;
    }
    if (interval.measure.Disturbed(steady_)) {
      host.ShowMeasurementWarning(DisturbedIntervalWarning(test, interval.measure));
    }
    const std::uint32_t score =
        ComputeScore(test, interval.measure.ticks, frequency_, state.testSelection.LengthFactor,
                     threads, memoryWorkerCount_);
    SetRow(state.thisResults[static_cast<std::size_t>(state.resultCount)], info.code, score);
    host.ResultsChanged();
    ++state.resultCount;
  }
  return step;
}

int TestRunner::RunSteady(BenchmarkState& state, RunHost& host, std::int32_t threads, int steps) {
  const std::int32_t L = state.testSelection.LengthFactor;
  const std::int64_t startCount = QueryPerformanceCounter();
  const auto elapsedSeconds = [this, startCount] {
    return static_cast<double>(QueryPerformanceCounter() - startCount) /
           static_cast<double>(frequency_);
  };
  // Sizing: the fixed work once per test (which also warms it up), to find its factor.
  int step = 0;
  for (TestId test : kAllTests) {
    if (!TestFlag(state.testSelection, test)) continue;
    if (StopRequested()) break;  // no further test is sized
    const TestInfo& info = InfoOf(test);
    host.Progress({++step, steps, info.name, true, 0});
    SteadyTest record;
    record.test = test;
    const Interval interval = MeasureInterval(test, threads, &state.testSelection.LengthFactor);
    PlaceNextInterval(interval);
    record.lostScore = ShowFailure(host, test, interval);
    // A disturbed interval counts for what it would have lasted had its workers had the
    // processors throughout. (Not an undisturbed one: a coarse thread clock, as Windows keeps,
    // reads a short interval's processor time as nothing.)
    record.calibrationSeconds = interval.measure.Seconds();
    if (interval.measure.Disturbed(steady_))
      record.calibrationSeconds *= interval.measure.ProcessorShare();
    record.factor = SizingFactor(record.calibrationSeconds, steady_.floorSeconds * LengthScale(L),
                                 L, info.loopsPerLengthFactor, info.largestLoopCount);
    record.loopCount = WorkerLoopCount(test, L * record.factor);
    steadyTests_.push_back(record);
    // Work that already lasts the floor needs no factor: its sizing interval is its first round.
    if (record.factor == 1 && !record.lostScore)
      RecordSteadyRound(steadyTests_.back(), interval, threads);
  }
  WriteSteadyRows(state, host);
  // The rounds: every test still measuring once per round, in test order.
  for (int round = 1;; ++round) {
    double roundSeconds = 0.0;
    for (const SteadyTest& record : steadyTests_) {
      if (MeasureAgain(record, 0.0, 0.0, steady_, L)) roundSeconds += record.LastSeconds();
    }
    const double elapsed = elapsedSeconds();
    bool measured = false;
    step = 0;
    for (SteadyTest& record : steadyTests_) {
      ++step;
      if (StopRequested()) break;  // the round ends after the test measured last
      if (!MeasureAgain(record, elapsed, roundSeconds, steady_, L)) continue;
      host.Progress({step, steps, InfoOf(record.test).name, true, round});
      MeasureSteadyRound(state, host, record, threads);
      measured = true;
    }
    if (!measured) break;
  }
  for (const SteadyTest& record : steadyTests_) {
    for (const std::string& warning : SteadyWarnings(record, steady_))
      host.ShowMeasurementWarning(warning);
  }
  return static_cast<int>(steadyTests_.size());
}

void TestRunner::MeasureSteadyRound(BenchmarkState& state, RunHost& host, SteadyTest& record,
                                    std::int32_t threads) {
  scaledLengthFactor_ = state.testSelection.LengthFactor * record.factor;
  Interval interval = MeasureInterval(record.test, threads, &scaledLengthFactor_);
  PlaceNextInterval(interval);
  // The same work computes the same results in every round: a worker 0 that strays from what it
  // computed in the first round went wrong, as one that strays from worker 0 does.
  if (interval.wrongWorker < 0 && interval.started == interval.workers && interval.failed == 0 &&
      record.firstOutcome && !(*record.firstOutcome == slots_.outcomes[0])) {
    interval.wrongWorker = 0;
  }
  if (ShowFailure(host, record.test, interval)) {
    record.lostScore = true;
  } else {
    RecordSteadyRound(record, interval, threads);
  }
  WriteSteadyRows(state, host);
}

void TestRunner::PlaceNextInterval(const Interval& interval) {
  const auto ended = slots_.endedOn.begin();
  placement_ = NextPlacement(std::vector<int>(ended, ended + interval.started),
                             interval.measure.processors, interval.measure.Disturbed(steady_));
}

void TestRunner::RecordSteadyRound(SteadyTest& record, const Interval& interval,
                                   std::int32_t threads) {
  if (!record.firstOutcome) record.firstOutcome = slots_.outcomes[0];
  SteadySample sample;
  sample.score = ComputeScore(record.test, interval.measure.ticks, interval.measure.frequency,
                              *slots_.LengthFactor, threads, memoryWorkerCount_);
  sample.seconds = interval.measure.Seconds();
  sample.processorShare = interval.measure.ProcessorShare();
  sample.disturbed = interval.measure.Disturbed(steady_);
  record.samples.push_back(sample);
  record.agreed = RoundsAgree(record, steady_);
}

void TestRunner::WriteSteadyRows(BenchmarkState& state, RunHost& host) const {
  int count = 0;
  for (const SteadyTest& record : steadyTests_) {
    if (const std::optional<std::uint32_t> score = record.Score()) {
      SetRow(state.thisResults[static_cast<std::size_t>(count++)], InfoOf(record.test).code,
             *score);
    }
  }
  // A test that lost its score since the last rows were written leaves one row fewer.
  for (int row = count; row < state.resultCount; ++row)
    state.thisResults[static_cast<std::size_t>(row)].code = '\0';
  state.resultCount = count;
  host.ResultsChanged();
}

void RunRepeatedly(TestRunner& runner, BenchmarkState& state, RunHost& host, int repetitions,
                   RepeatedRuns& runs, std::vector<std::vector<SteadyTest>>* steadyRuns) {
  for (int repetition = 1; repetition <= repetitions && !runner.StopRequested(); ++repetition) {
    host.RepetitionStarted(repetition, repetitions);
    runner.OnRunSelectedTests(state, host);
    runs.Add(state.thisResults);
    if (steadyRuns != nullptr && !runner.SteadyTests().empty())
      steadyRuns->push_back(runner.SteadyTests());
  }
  state.resultCount = runs.WriteMedians(state.thisResults);
  host.ResultsChanged();
}

}  // namespace quorvane

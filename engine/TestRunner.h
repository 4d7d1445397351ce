// The test runner: after the description is confirmed, runs every selected processor and memory
// test in its worker threads and appends its score to thisResults; then the disk test of every
// selected drive, whose seven results form a drive block. A quick run times each test's fixed
// work once as a whole with the performance counter; a steady run (the default) sizes each
// test's work to last at least a floor and measures the tests in interleaved rounds until they
// agree (engine/SteadyMeasurement.h). It reaches the front end only through RunHost, never waits
// for a worker that was not started and never writes past the last row.
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <thread>
#include <vector>

#include "disk/DiskTest.h"
#include "engine/BenchmarkState.h"
#include "engine/RepeatedRuns.h"
#include "engine/RunHost.h"
#include "engine/SteadyMeasurement.h"
#include "engine/Workers.h"
#include "platform/DriveMap.h"
#include "platform/WorkerThread.h"

namespace quorvane {

// The disk test's surroundings for the drives of a mount table read once by the front end: the
// test file in each available drive's folder, 6 seconds of calibration and 2 seconds of grace.
DiskTestEnvironment DiskEnvironmentFor(const std::vector<DriveMapping>& drives);

// The signature of MeasureDrive, so that a test can give the runner another one.
using DiskTestRoutine = std::optional<DiskResults> (*)(char, std::int32_t,
                                                       const DiskTestEnvironment&);

// One runner serves one front end; its methods other than the stop request are called from the
// run's thread only (or between runs by the thread that owns it).
class TestRunner {
 public:
  // `startThread` and `routines` are the system's and the real workers' unless a test
  // substitutes them; without a `disk` environment no drive can be measured.
  explicit TestRunner(ThreadStarter startThread = StartThread,
                      const WorkerRoutineTable& routines = kWorkerRoutines,
                      DiskTestEnvironment disk = {}, DiskTestRoutine diskTest = MeasureDrive,
                      SteadySettings steady = {});

  // "Run selected tests". Blocks until the run has ended (the user confirmed the description,
  // every selected test and drive was measured or failed, or a stop was asked for), which can
  // take minutes; the calling thread serves the host (RunHost.h) and is the one whose priority
  // a real-time run raises and puts back. Call it from a thread that the host does not need in
  // order to answer: in the desktop program a run thread, never the user-interface thread.
  // Not re-entrant: one run at a time per runner, and never from inside a host call. The caller
  // hands `state` and `host` to the run until it returns and must not touch them meanwhile.
  // Nothing is returned: the rows measured are in state.thisResults (resultCount of them), the
  // failures were shown through the host. Throws std::bad_alloc when a disk test cannot get its
  // block; the rows written before stay, and the normal priority is back.
  void OnRunSelectedTests(BenchmarkState& state, RunHost& host);

  // Asks the run to end after the test it is measuring: after the current quick test, steady
  // interval (sizing or round) or drive. What was measured stays: the rows written so far, and
  // a steady test keeps the score of the rounds it has. RunRepeatedly starts no further
  // repetition. Any thread may call it at any time, also the host from one of its calls; the run
  // reads the request between tests, rounds, drives and repetitions.
  // The request holds until ClearStopRequest(): a run does not clear it when it starts, so that
  // a stop asked for while the run's thread was still starting is not lost.
  void RequestStop() { stopRequested_.store(true, std::memory_order_relaxed); }
  // Forgets a stop request; the front end calls it before it starts a run. Any thread.
  void ClearStopRequest() { stopRequested_.store(false, std::memory_order_relaxed); }
  // True once a stop was requested and not cleared since. Any thread.
  bool StopRequested() const { return stopRequested_.load(std::memory_order_relaxed); }

  // Workers of the last memory test.
  std::int32_t MemoryWorkerCount() const { return memoryWorkerCount_; }

  // The rounds of each processor and memory test of the last run, in test order; empty after a
  // quick run.
  const std::vector<SteadyTest>& SteadyTests() const { return steadyTests_; }

 private:
  // What one timed interval of a test gave.
  struct Interval {
    IntervalMeasure measure;
    int workers = 0;
    int started = 0;       // below `workers`: the system refused the next thread
    int failed = 0;        // workers whose kernel could not get its memory
    int wrongWorker = -1;  // the first worker that computed a wrong result, or -1
  };

  // Times `test` once: its workers run with `lengthFactor` (the selection's, or a steady run's
  // multiple of it) and `threads` threads, each kept on its processor of placement_ when that
  // names one for every worker.
  Interval MeasureInterval(TestId test, std::int32_t threads, const std::int32_t* lengthFactor);

  // Shows why `interval` gives no score, if it does not; true then.
  bool ShowFailure(RunHost& host, TestId test, const Interval& interval) const;

  // The selected tests, each timed once with its fixed work; a row for each.
  int RunQuick(BenchmarkState& state, RunHost& host, std::int32_t threads, int steps);

  // The selected tests sized, then measured in rounds; a row for each that keeps its score.
  int RunSteady(BenchmarkState& state, RunHost& host, std::int32_t threads, int steps);

  // One steady interval of `record`'s test: a sample, or its score lost. Rewrites the rows.
  void MeasureSteadyRound(BenchmarkState& state, RunHost& host, SteadyTest& record,
                          std::int32_t threads);

  // Adds the sample of `interval`, an interval without failure whose workers ran with the
  // length factor the slots point at, to `record`'s rounds.
  void RecordSteadyRound(SteadyTest& record, const Interval& interval, std::int32_t threads);

  // Writes the row of every steady test that has a score, in test order, from row 0.
  void WriteSteadyRows(BenchmarkState& state, RunHost& host) const;

  // The placement for the interval after `interval` of a steady run (NextPlacement).
  void PlaceNextInterval(const Interval& interval);

  // Starts worker `index` and adds it to `started`; false when it could not be started.
  bool StartWorker(WorkerRoutine routine, int index, std::vector<std::thread>& started);

  // The first of `workers` workers whose kernel computed a wrong result (a value known in
  // advance missed, or a result that differs from worker 0's), or -1.
  int FirstWrongWorker(int workers) const;

  // Runs the disk test of every selected drive, C to Z. Returns the next progress step.
  int RunDriveSteps(BenchmarkState& state, RunHost& host, int step, int steps);

  ThreadStarter startThread_;
  WorkerRoutineTable routines_;
  DiskTestEnvironment disk_;
  DiskTestRoutine diskTest_;
  SteadySettings steady_;
  WorkerSlots slots_;
  std::int32_t memoryWorkerCount_ = 0;
  std::int64_t frequency_ = 1;           // the counter's, read once per run
  std::int32_t scaledLengthFactor_ = 0;  // what a steady run's workers read as their length factor
  std::vector<SteadyTest> steadyTests_;
  // Where a steady run's next interval keeps its workers (NextPlacement); empty in a quick run.
  std::vector<int> placement_;
  std::atomic<bool> stopRequested_{false};
};

// "Run selected tests" `repetitions` times, each a whole run announced to the host; every
// repetition's rows go into `runs`, and its steady rounds (if it measured any) into `steadyRuns`
// when given. A stop request ends the repetition it reaches and starts no further one; the
// rows of the repetitions run (the stopped one's too) are kept.
// Afterwards thisResults holds each row's median in a single run's order and the host is told
// the results changed. Blocks, and is called, as OnRunSelectedTests is.
void RunRepeatedly(TestRunner& runner, BenchmarkState& state, RunHost& host, int repetitions,
                   RepeatedRuns& runs, std::vector<std::vector<SteadyTest>>* steadyRuns = nullptr);

}  // namespace quorvane

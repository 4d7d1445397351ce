// The test runner: after the description is confirmed, runs every selected processor and memory
// test in its worker threads, times each as a whole with the performance counter, and appends
// its score to thisResults; then the disk test of every selected drive, whose seven results
// form a drive block. It reaches the front end only through RunHost, never waits for a worker
// that was not started and never writes past the last row.
#pragma once

#include <cstdint>
#include <thread>
#include <vector>

#include "disk/DiskTest.h"
#include "engine/BenchmarkState.h"
#include "engine/RepeatedRuns.h"
#include "engine/RunHost.h"
#include "engine/Workers.h"
#include "platform/DriveMap.h"
#include "platform/WorkerThread.h"

namespace quorvane {

// The disk test's surroundings for the drives of a mount table read once by the front end: the
// test file in each available drive's folder, 6 seconds of calibration and 2 seconds of grace.
DiskTestEnvironment DiskEnvironmentFor(const std::vector<DriveMapping>& drives);

// The signature of RunDiskTest, so that a test can give the runner another one.
using DiskTestRoutine = std::int32_t (*)(char, std::int32_t, std::int32_t&, std::int32_t&,
                                         std::int32_t&, std::int32_t&, std::int32_t&,
                                         std::int32_t&, std::int32_t&, const DiskTestEnvironment&);

class TestRunner {
 public:
  // `startThread` and `routines` are the system's and the real workers' unless a test
  // substitutes them; without a `disk` environment no drive can be measured.
  explicit TestRunner(ThreadStarter startThread = StartThread,
                      const WorkerRoutineTable& routines = kWorkerRoutines,
                      DiskTestEnvironment disk = {},
                      DiskTestRoutine diskTest = RunDiskTest);

  // "Run selected tests".
  void OnRunSelectedTests(BenchmarkState& state, RunHost& host);

  // Workers of the last memory test.
  std::int32_t MemoryWorkerCount() const { return memoryWorkerCount_; }

 private:
  // Runs one test with `workers` workers; writes its row unless a worker failed.
  void RunTest(BenchmarkState& state, RunHost& host, TestId test, std::int32_t threads,
               std::int64_t frequency);

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
  WorkerSlots slots_;
  std::int32_t memoryWorkerCount_ = 0;
};

// "Run selected tests" `repetitions` times, each a whole run announced to the host; every
// repetition's rows go into `runs`. Afterwards thisResults holds each row's median in a single
// run's order and the host is told the results changed.
void RunRepeatedly(TestRunner& runner, BenchmarkState& state, RunHost& host, int repetitions,
                   RepeatedRuns& runs);

}  // namespace quorvane

// The test runner: after the description is confirmed, runs every selected processor and memory
// test in its worker threads, times each as a whole with the performance counter, and appends
// its score to thisResults; then the disk test of every selected drive, whose seven results
// form a drive block. It reaches the front end only through RunHost, never waits for a worker
// that was not started and never writes past the last row.
#pragma once

#include <cstdint>

#include "disk/DiskTest.h"
#include "engine/BenchmarkState.h"
#include "engine/RunHost.h"
#include "engine/Workers.h"
#include "platform/WorkerThread.h"

namespace quorvane {

// The disk test's surroundings on this system: the drives of the mount table (read now), the
// test file in each drive's folder, 6 seconds of calibration and 2 seconds of grace.
DiskTestEnvironment SystemDiskEnvironment();

// The signature of RunDiskTest, so that a test can give the runner another one.
using DiskTestRoutine = std::int32_t (*)(char, std::int32_t, std::int32_t&, std::int32_t&,
                                         std::int32_t&, std::int32_t&, std::int32_t&,
                                         std::int32_t&, std::int32_t&, const DiskTestEnvironment&);

class TestRunner {
 public:
  // `startThread`, `routines` and `disk` are the system's, the real workers' and the real
  // drives' unless a test substitutes them.
  explicit TestRunner(ThreadStarter startThread = StartThread,
                      const WorkerRoutineTable& routines = kWorkerRoutines,
                      DiskTestEnvironment disk = SystemDiskEnvironment(),
                      DiskTestRoutine diskTest = RunDiskTest);

  // "Run selected tests".
  void OnRunSelectedTests(BenchmarkState& state, RunHost& host);

  // Workers of the last memory test.
  std::int32_t MemoryWorkerCount() const { return MemoryWorkerCount_; }

 private:
  // Runs one test with `workers` workers; writes its row unless a worker failed.
  void RunTest(BenchmarkState& state, RunHost& host, TestId test, std::int32_t threads,
               std::int64_t frequency);

  // Runs the disk test of every selected drive, C to Z. Returns the next progress step.
  int RunDriveSteps(BenchmarkState& state, RunHost& host, int step, int steps);

  ThreadStarter startThread_;
  WorkerRoutineTable routines_;
  DiskTestEnvironment disk_;
  DiskTestRoutine diskTest_;
  WorkerSlots slots_;
  std::int32_t MemoryWorkerCount_ = 0;
};

}  // namespace quorvane

// The test runner: after the description is confirmed, runs every selected processor and memory
// test in its worker threads, times each as a whole with the performance counter, and appends
// its score to thisResults. It reaches the front end only through RunHost and never waits for a
// worker that was not started.
#pragma once

#include <cstdint>

#include "engine/BenchmarkState.h"
#include "engine/RunHost.h"
#include "engine/Workers.h"
#include "platform/WorkerThread.h"

namespace quorvane {

class TestRunner {
 public:
  // `startThread` and `routines` are the system's and the real workers' unless a test
  // substitutes them.
  explicit TestRunner(ThreadStarter startThread = StartThread,
                      const WorkerRoutineTable& routines = kWorkerRoutines);

  // "Run selected tests".
  void OnRunSelectedTests(BenchmarkState& state, RunHost& host);

  // Workers of the last memory test.
  std::int32_t MemoryWorkerCount() const { return MemoryWorkerCount_; }

 private:
  // Runs one test with `workers` workers; writes its row unless a worker failed.
  void RunTest(BenchmarkState& state, RunHost& host, TestId test, std::int32_t threads,
               std::int64_t frequency);

  ThreadStarter startThread_;
  WorkerRoutineTable routines_;
  WorkerSlots slots_;
  std::int32_t MemoryWorkerCount_ = 0;
};

}  // namespace quorvane

// The worker thread routines of the seven processor and memory tests. A worker runs its test's
// kernel once, stores the kernel's result in its slot, and signals its completion event, also
// when the kernel could not get its memory. Workers touch only their own slot and event.
#pragma once

#include <array>
#include <cstdint>

#include "engine/TestSelection.h"
#include "platform/Event.h"

namespace quorvane {

// The thread counts a run accepts; the memory test's worker count never exceeds the highest.
constexpr std::int32_t kMinThreads = 1;
constexpr std::int32_t kMaxThreads = 128;
constexpr int kWorkerSlots = kMaxThreads;

// The slots that the runner shares with the workers of one test.
struct WorkerSlots {
  std::array<Event, kWorkerSlots> WorkerDoneEvents;
  std::array<std::int32_t, kWorkerSlots> WorkerResults{};
  // Set by worker i when its kernel failed (its allocation was refused).
  std::array<bool, kWorkerSlots> workerFailed{};
  // The length factor of the selection, read by each worker when it starts.
  const std::int32_t* LengthFactor = nullptr;
};

using WorkerRoutine = void (*)(WorkerSlots& slots, int index);

// The loop count that a worker of `test` passes to its kernel: the length factor times the test's
// count, a 32-bit product.
std::int32_t WorkerLoopCount(TestId test, std::int32_t lengthFactor);

void DhrystoneWorker(WorkerSlots& slots, int index);
void WhetstoneWorker(WorkerSlots& slots, int index);
void QueensWorker(WorkerSlots& slots, int index);
void MatrixWorker(WorkerSlots& slots, int index);
void NumberCrunchWorker(WorkerSlots& slots, int index);
void FloatingPointWorker(WorkerSlots& slots, int index);
void MemoryWorker(WorkerSlots& slots, int index);

// The routines in the order of the tests (TestId order).
using WorkerRoutineTable = std::array<WorkerRoutine, 7>;
extern const WorkerRoutineTable kWorkerRoutines;

}  // namespace quorvane

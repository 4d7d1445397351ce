// The worker thread routines of the seven processor and memory tests. A worker runs its test's
// kernel once, stores the kernel's result in its slot, and signals its completion event, also
// when the kernel could not get its memory; then, outside the timed interval, it records what the
// kernel computed for the runner's check. Workers touch only their own slot and event.
#pragma once

#include <array>
#include <cstdint>
#include <new>
#include <optional>

#include "engine/KernelCheck.h"
#include "engine/TestSelection.h"
#include "platform/Event.h"

namespace quorvane {

// The thread counts a run accepts; the memory test's worker count never exceeds the highest.
// The build reads kMaxThreads from its line below for the help page and the description dialog.
constexpr std::int32_t kMinThreads = 1;
constexpr std::int32_t kMaxThreads = 128;
constexpr int kWorkerSlots = kMaxThreads;

// The slots that the runner shares with the workers of one test.
struct WorkerSlots {
  std::array<Event, kWorkerSlots> WorkerDoneEvents;
  std::array<std::int32_t, kWorkerSlots> WorkerResults{};
  // Set by worker i when its kernel failed (its allocation was refused).
  std::array<bool, kWorkerSlots> workerFailed{};
  // What worker i's kernel computed, written after its event was signalled; the runner reads it
  // only after joining the worker.
  std::array<KernelOutcome, kWorkerSlots> outcomes{};
  // The processor time thread i used, taken as it ends; the runner reads it after joining it.
  std::array<double, kWorkerSlots> processorSeconds{};
  // The processor that thread i is kept on (-1: wherever the system runs it), set by the runner
  // before it starts the thread, and the one it ended on (-1: unknown), taken as it ends.
  std::array<int, kWorkerSlots> keptOn{};
  std::array<int, kWorkerSlots> endedOn{};
  // The length factor of the selection, read by each worker when it starts.
  const std::int32_t* LengthFactor = nullptr;
};

using WorkerRoutine = void (*)(WorkerSlots& slots, int index);

// The loop count that a worker of `test` passes to its kernel: the length factor times the test's
// count, a 32-bit product.
std::int32_t WorkerLoopCount(TestId test, std::int32_t lengthFactor);

// The body of every worker routine: runs a `Kernel` for the loop count of `test`. Tests give the
// runner routines that use it with a kernel made to compute a wrong result.
template <class Kernel>
void RunKernelWorker(WorkerSlots& shared, int index, TestId test) {
  // The length factor as it stands now.
  const std::int32_t loops = WorkerLoopCount(test, *shared.LengthFactor);
  const auto slot = static_cast<std::size_t>(index);
  std::optional<Kernel> kernel;
  try {
    shared.WorkerResults[slot] = kernel.emplace().Run(loops);
  } catch (const std::bad_alloc&) {
    shared.workerFailed[slot] = true;
  }
  shared.WorkerDoneEvents[slot].Set();
  // The timed interval has ended for this worker: what its kernel computed is taken now, and
  // the kernel (with what it kept for this) is released after that.
  if (shared.workerFailed[slot]) return;
  try {
    shared.outcomes[slot] = OutcomeOf(*kernel, loops);
  } catch (const std::bad_alloc&) {
    shared.workerFailed[slot] = true;
  }
}

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

#include "engine/Workers.h"

#include <new>

#include "engine/TestTable.h"
#include "kernels/DhrystoneKernel.h"
#include "kernels/FloatingPointKernel.h"
#include "kernels/MatrixKernel.h"
#include "kernels/MemoryKernel.h"
#include "kernels/NumberCrunchKernel.h"
#include "kernels/QueensKernel.h"
#include "kernels/WhetstoneKernel.h"

namespace quorvane {

namespace {

template <class Kernel>
void RunWorker(WorkerSlots& slots, int index, TestId test) {
  // The length factor as it stands now.
  const std::int32_t loops = WorkerLoopCount(test, *slots.LengthFactor);
  const auto slot = static_cast<std::size_t>(index);
  try {
    Kernel kernel;
    slots.WorkerResults[slot] = kernel.Run(loops);
  } catch (const std::bad_alloc&) {
    slots.workerFailed[slot] = true;
  }
  slots.WorkerDoneEvents[slot].Set();
}

}  // namespace

std::int32_t WorkerLoopCount(TestId test, std::int32_t lengthFactor) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(lengthFactor) *
                                   static_cast<std::uint32_t>(InfoOf(test).loopsPerLengthFactor));
}

void DhrystoneWorker(WorkerSlots& slots, int index) {
  RunWorker<DhrystoneKernel>(slots, index, TestId::Dhrystone);
}
void WhetstoneWorker(WorkerSlots& slots, int index) {
  RunWorker<WhetstoneKernel>(slots, index, TestId::Whetstone);
}
void QueensWorker(WorkerSlots& slots, int index) {
  RunWorker<QueensKernel>(slots, index, TestId::Queens);
}
void MatrixWorker(WorkerSlots& slots, int index) {
  RunWorker<MatrixKernel>(slots, index, TestId::Matrix);
}
void NumberCrunchWorker(WorkerSlots& slots, int index) {
  RunWorker<NumberCrunchKernel>(slots, index, TestId::NumberCrunch);
}
void FloatingPointWorker(WorkerSlots& slots, int index) {
  RunWorker<FloatingPointKernel>(slots, index, TestId::FloatingPoint);
}
void MemoryWorker(WorkerSlots& slots, int index) {
  RunWorker<MemoryKernel>(slots, index, TestId::Memory);
}

const WorkerRoutineTable kWorkerRoutines = {DhrystoneWorker,    WhetstoneWorker,
                                            QueensWorker,       MatrixWorker,
                                            NumberCrunchWorker, FloatingPointWorker,
                                            MemoryWorker};

}  // namespace quorvane

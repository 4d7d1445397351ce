#include "engine/Workers.h"

#include "engine/TestTable.h"

#include "kernels/DhrystoneKernel.h"
#include "kernels/FloatingPointKernel.h"
#include "kernels/MatrixKernel.h"
#include "kernels/MemoryKernel.h"
#include "kernels/NumberCrunchKernel.h"
#include "kernels/QueensKernel.h"
#include "kernels/WhetstoneKernel.h"

namespace quorvane {

std::int32_t WorkerLoopCount(TestId test, std::int32_t lengthFactor) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(lengthFactor) *
                                   static_cast<std::uint32_t>(InfoOf(test).loopsPerLengthFactor));
}

void DhrystoneWorker(WorkerSlots& slots, int index) {
  RunKernelWorker<DhrystoneKernel>(slots, index, TestId::Dhrystone);
}
void WhetstoneWorker(WorkerSlots& slots, int index) {
  RunKernelWorker<WhetstoneKernel>(slots, index, TestId::Whetstone);
}
void QueensWorker(WorkerSlots& slots, int index) {
  RunKernelWorker<QueensKernel>(slots, index, TestId::Queens);
}
void MatrixWorker(WorkerSlots& slots, int index) {
  RunKernelWorker<MatrixKernel>(slots, index, TestId::Matrix);
}
void NumberCrunchWorker(WorkerSlots& slots, int index) {
  RunKernelWorker<NumberCrunchKernel>(slots, index, TestId::NumberCrunch);
}
void FloatingPointWorker(WorkerSlots& slots, int index) {
  RunKernelWorker<FloatingPointKernel>(slots, index, TestId::FloatingPoint);
}
void MemoryWorker(WorkerSlots& slots, int index) {
  RunKernelWorker<MemoryKernel>(slots, index, TestId::Memory);
}

const WorkerRoutineTable kWorkerRoutines = {
    DhrystoneWorker,    WhetstoneWorker,     QueensWorker, MatrixWorker,
    NumberCrunchWorker, FloatingPointWorker, MemoryWorker};

}  // namespace quorvane

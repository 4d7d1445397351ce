// Speed of each kernel's Run with a small pass count, in the units the scores count: Dhrystone
// passes, thousands of Whetstone instructions (100 per LOOP), queens solves, multiply-adds, number
// crunch and floating point operations (470 and 44 per pass), and bytes written by the memory
// kernel.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "kernels/DhrystoneKernel.h"
#include "kernels/FloatingPointKernel.h"
#include "kernels/MatrixKernel.h"
#include "kernels/MemoryKernel.h"
#include "kernels/NumberCrunchKernel.h"
#include "kernels/QueensKernel.h"
#include "kernels/WhetstoneKernel.h"

namespace quorvane {
namespace {

// Runs a fresh kernel with `passes` per iteration; `itemsPerPass` items counted per pass.
template <class Kernel>
void RunKernel(benchmark::State& state, std::int32_t passes, std::int64_t itemsPerPass) {
  for (auto _ : state) {
    Kernel kernel;
    benchmark::DoNotOptimize(kernel.Run(passes));
  }
  state.SetItemsProcessed(state.iterations() * passes * itemsPerPass);
}

void BM_Dhrystone(benchmark::State& state) { RunKernel<DhrystoneKernel>(state, 200000, 1); }
void BM_Whetstone(benchmark::State& state) { RunKernel<WhetstoneKernel>(state, 200, 100); }
void BM_Queens(benchmark::State& state) { RunKernel<QueensKernel>(state, 200, 1); }
void BM_Matrix(benchmark::State& state) {
  RunKernel<MatrixKernel>(state, 1, MatrixKernel::kMultiplyAddsPerPass);
}
void BM_NumberCrunch(benchmark::State& state) { RunKernel<NumberCrunchKernel>(state, 20000, 470); }
void BM_FloatingPoint(benchmark::State& state) { RunKernel<FloatingPointKernel>(state, 5000, 44); }
void BM_Memory(benchmark::State& state) {
  constexpr std::int32_t kPasses = 2;
  RunKernel<MemoryKernel>(state, kPasses, 1);
  state.SetBytesProcessed(state.iterations() * kPasses * MemoryKernel::kBytesPerPass);
}

BENCHMARK(BM_Dhrystone)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Whetstone)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Queens)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Matrix)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NumberCrunch)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FloatingPoint)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Memory)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quorvane

BENCHMARK_MAIN();

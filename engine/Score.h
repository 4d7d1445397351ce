// The score arithmetic of the processor and memory tests: elapsed ticks into the value that a
// result row stores. Double precision in the fixed order of each formula, truncated toward zero
// to 64 bits, and the low 32 bits kept. Pure functions; no clock is read here.
#pragma once

#include <cstdint>

#include "engine/TestSelection.h"

namespace quorvane {

// The number of workers of the memory test: the smallest power of two not below `threads`.
std::int32_t MemoryWorkerCountFor(std::int32_t threads);

// The score of `test` for `ticks` counter ticks at `frequency` ticks per second, with length
// factor `lengthFactor`, `threads` workers and (memory test only) `memoryWorkers` workers.
// An elapsed time of zero, or a quotient outside the 64-bit range, gives 0.
std::uint32_t ComputeScore(TestId test, std::int64_t ticks, std::int64_t frequency,
                           std::int32_t lengthFactor, std::int32_t threads,
                           std::int32_t memoryWorkers);

}  // namespace quorvane

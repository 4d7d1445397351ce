// What a worker's kernel computed, taken after the timed interval so that the runner can tell a
// wrong result from a right one: whether every value known in advance was reached, and the bit
// patterns of the results that depend on the mathematical library, which every worker of a test
// must reproduce exactly. Reads the kernel objects only; never runs a timed kernel.
#pragma once

#include <array>
#include <cstdint>

#include "kernels/DhrystoneKernel.h"
#include "kernels/FloatingPointKernel.h"
#include "kernels/MatrixKernel.h"
#include "kernels/MemoryKernel.h"
#include "kernels/NumberCrunchKernel.h"
#include "kernels/QueensKernel.h"
#include "kernels/WhetstoneKernel.h"

namespace quorvane {

struct KernelOutcome {
  bool knownValuesMissed = false;        // a value known in advance was not reached
  std::array<std::uint64_t, 40> bits{};  // results to agree on bit for bit across workers

  bool operator==(const KernelOutcome&) const = default;
};

// Dhrystone's published final values after `passes` passes.
KernelOutcome OutcomeOf(const DhrystoneKernel& kernel, std::int32_t passes);
// Whetstone's working variables and what each module computed before a later one overwrote it
// (they depend on the mathematical library).
KernelOutcome OutcomeOf(const WhetstoneKernel& kernel, std::int32_t passes);
// The final search state of an untimed reference solve, which must find 92 solutions.
KernelOutcome OutcomeOf(const QueensKernel& kernel, std::int32_t passes);
// The product of the zeroed matrices: every cell of R is zero.
KernelOutcome OutcomeOf(const MatrixKernel& kernel, std::int32_t passes);
// The integers of the chain are zero after three executions; the doubles are compared.
KernelOutcome OutcomeOf(const NumberCrunchKernel& kernel, std::int32_t passes);
// The chain's doubles and integers (they depend on the mathematical library).
KernelOutcome OutcomeOf(const FloatingPointKernel& kernel, std::int32_t passes);
// The memory test writes and never reads: nothing to check.
KernelOutcome OutcomeOf(const MemoryKernel& kernel, std::int32_t passes);

}  // namespace quorvane

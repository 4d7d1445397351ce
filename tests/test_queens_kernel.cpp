// Tests of the eight queens kernel: the work of one solve, the placements it reaches, the flags
// it leaves, and that nothing runs for passes below 1.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <set>

#include "kernels/QueensKernel.h"

namespace quorvane {
namespace {

using CountingQueensKernel = BasicQueensKernel<QueensCountingProbe>;
using Placement = std::array<std::int32_t, 8>;

// The flags of columns 1 to 8 and of every diagonal a square lies on are all 1 (free).
template <class Kernel>
bool AllFlagsFree(const Kernel& k) {
  auto ones = [](auto first, auto last) {
    return std::all_of(first, last, [](std::uint8_t flag) { return flag == 1; });
  };
  return ones(k.ColumnFree().begin() + 1, k.ColumnFree().end()) &&
         ones(k.SumDiagonalFree().begin() + 2, k.SumDiagonalFree().end()) &&
         ones(k.DiffDiagonalFree().begin(), k.DiffDiagonalFree().end());
}

TEST(QueensKernel, EverySolveDoesTheFullSearchAndFreesEveryFlag) {
  CountingQueensKernel kernel;
  EXPECT_EQ(kernel.Run(1), 1);
  const QueensCountingProbe& probe = kernel.probe();
  EXPECT_EQ(probe.tryRowCalls, 1965);
  EXPECT_EQ(probe.placements, 2056);
  ASSERT_EQ(probe.completePlacements.size(), 92u);
  EXPECT_EQ(probe.completePlacements.front(), (Placement{1, 5, 8, 6, 3, 7, 2, 4}));
  EXPECT_EQ(std::set(probe.completePlacements.begin(), probe.completePlacements.end()).size(), 92u);
  EXPECT_TRUE(AllFlagsFree(kernel));

  EXPECT_EQ(kernel.Run(2), 1);  // two more solves repeat the same work
  EXPECT_EQ(probe.tryRowCalls, 3 * 1965);
  EXPECT_EQ(probe.placements, 3 * 2056);
  ASSERT_EQ(probe.completePlacements.size(), 3u * 92u);
  for (std::size_t i = 92; i < probe.completePlacements.size(); ++i) {
    ASSERT_EQ(probe.completePlacements[i], probe.completePlacements[i % 92]) << i;
  }
  EXPECT_TRUE(AllFlagsFree(kernel));
  // Row 1 tries every column, the last one being 8; slots 0 and 9 are never written.
  EXPECT_EQ(kernel.QueenColumn()[1], 8);
  EXPECT_EQ(kernel.QueenColumn()[0] + kernel.QueenColumn()[9], 0);
}

TEST(QueensKernel, NoSolveBelowOne) {
  for (const std::int32_t passes : {0, -1, -20000}) {
    CountingQueensKernel kernel;
    EXPECT_EQ(kernel.Run(passes), 1);
    // No call, no placement, the flags still as constructed (0).
    const QueensCountingProbe& probe = kernel.probe();
    EXPECT_EQ(probe.tryRowCalls + probe.placements + kernel.ColumnFree()[1], 0) << passes;
  }
}

TEST(QueensKernel, ProductionKernelLeavesTheSameState) {
  QueensKernel kernel;
  EXPECT_EQ(kernel.Run(5), 1);
  EXPECT_TRUE(AllFlagsFree(kernel));
  EXPECT_EQ(kernel.QueenColumn()[1], 8);
}

}  // namespace
}  // namespace quorvane

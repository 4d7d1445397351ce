// Tests of the eight queens kernel: the work of one solve, the placements it reaches, the flags
// it leaves, and that nothing runs for passes below 1.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <set>

#include "kernels/QueensKernel.h"

namespace quorvane {
namespace {

using CountingQueensKernel = BasicQueensKernel<QueensCountingProbe>;

bool NoTwoQueensAttack(const std::array<std::int32_t, 8>& columns) {
  for (int a = 0; a < 8; ++a) {
    if (columns[a] < 1 || columns[a] > 8) {
      return false;
    }
    for (int b = a + 1; b < 8; ++b) {
      if (columns[a] == columns[b] || std::abs(columns[a] - columns[b]) == b - a) {
        return false;
      }
    }
  }
  return true;
}

template <class Kernel>
void ExpectAllFlagsFree(const Kernel& kernel) {
  for (int col = 1; col <= 8; ++col) {
    EXPECT_EQ(kernel.ColumnFree()[col], 1) << "column " << col;
  }
  for (int sum = 0; sum <= 16; ++sum) {
    EXPECT_EQ(kernel.SumDiagonalFree()[sum], 1) << "sum diagonal " << sum;
  }
  for (int diff = 0; diff <= 14; ++diff) {
    EXPECT_EQ(kernel.DiffDiagonalFree()[diff], 1) << "difference diagonal " << diff;
  }
}

TEST(QueensKernel, OneSolveDoesTheFullSearch) {
  CountingQueensKernel kernel;
  EXPECT_EQ(kernel.Run(1), 1);
  const QueensCountingProbe& probe = kernel.GetProbe();
  EXPECT_EQ(probe.tryRowCalls, 1965);
  EXPECT_EQ(probe.placements, 2056);
  ASSERT_EQ(probe.completePlacements.size(), 92u);

  const std::array<std::int32_t, 8> first = {1, 5, 8, 6, 3, 7, 2, 4};
  EXPECT_EQ(probe.completePlacements.front(), first);
  std::set<std::array<std::int32_t, 8>> distinct;
  for (const auto& placement : probe.completePlacements) {
    EXPECT_TRUE(NoTwoQueensAttack(placement));
    distinct.insert(placement);
  }
  EXPECT_EQ(distinct.size(), 92u);

  ExpectAllFlagsFree(kernel);
  // Row 1 tries every column, the last one being 8; slots 0 and 9 are never written.
  EXPECT_EQ(kernel.QueenColumn()[1], 8);
  EXPECT_EQ(kernel.QueenColumn()[0], 0);
  EXPECT_EQ(kernel.QueenColumn()[9], 0);
}

TEST(QueensKernel, EverySolveRepeatsTheSameWork) {
  CountingQueensKernel kernel;
  EXPECT_EQ(kernel.Run(3), 1);
  const QueensCountingProbe& probe = kernel.GetProbe();
  EXPECT_EQ(probe.tryRowCalls, 3 * 1965);
  EXPECT_EQ(probe.placements, 3 * 2056);
  ASSERT_EQ(probe.completePlacements.size(), 3u * 92u);
  for (std::size_t i = 0; i < 92; ++i) {
    EXPECT_EQ(probe.completePlacements[i], probe.completePlacements[92 + i]);
    EXPECT_EQ(probe.completePlacements[i], probe.completePlacements[184 + i]);
  }
  ExpectAllFlagsFree(kernel);
}

TEST(QueensKernel, NoSolveBelowOne) {
  for (const std::int32_t passes : {0, -1, -20000}) {
    CountingQueensKernel kernel;
    EXPECT_EQ(kernel.Run(passes), 1);
    EXPECT_EQ(kernel.GetProbe().tryRowCalls, 0);
    EXPECT_EQ(kernel.GetProbe().placements, 0);
    EXPECT_EQ(kernel.ColumnFree()[1], 0);  // still as constructed: no solve set the flags
  }
}

TEST(QueensKernel, ProductionKernelLeavesTheSameState) {
  QueensKernel kernel;
  EXPECT_EQ(kernel.Run(5), 1);
  ExpectAllFlagsFree(kernel);
  EXPECT_EQ(kernel.QueenColumn()[1], 8);
  static_assert(sizeof(QueensKernel) == 9 + 17 + 15 + 3 + 40, "the empty probe takes no room");
}

}  // namespace
}  // namespace quorvane

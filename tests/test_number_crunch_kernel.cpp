// Tests of the number crunch kernel: the state after the first, second and later executions of
// the chain, the 32-bit truncations, and that nothing runs for passes below 1.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

#include "kernels/NumberCrunchKernel.h"

namespace quorvane {
namespace {

void ExpectFirstExecutionState(const NumberCrunchState& s) {
  EXPECT_EQ(s.x, 10021000.0);
  EXPECT_EQ(s.y, 0.75);
  EXPECT_EQ(s.z, 0.0);
  EXPECT_EQ(s.i, 500);
  EXPECT_EQ(s.j, 0);
  EXPECT_EQ(s.k, 0);
  EXPECT_EQ(s.r, 360);
  EXPECT_EQ(s.p, 0);
  EXPECT_EQ(s.q, -360);
  EXPECT_EQ(s.t, 112);
}

void ExpectAllIntegersZero(const NumberCrunchState& s) {
  EXPECT_EQ(s.i, 0);
  EXPECT_EQ(s.j, 0);
  EXPECT_EQ(s.k, 0);
  EXPECT_EQ(s.r, 0);
  EXPECT_EQ(s.p, 0);
  EXPECT_EQ(s.q, 0);
  EXPECT_EQ(s.t, 0);
}

TEST(NumberCrunchKernel, FirstTwoExecutionsReachTheFixedPoint) {
  NumberCrunchState s;
  NumberCrunchKernel::Execute(s);
  ExpectFirstExecutionState(s);

  NumberCrunchKernel::Execute(s);
  EXPECT_EQ(s.x, -1803780000000.0);
  EXPECT_EQ(s.y, 0.0);
  EXPECT_EQ(s.z, 0.0);
  ExpectAllIntegersZero(s);

  for (int execution = 3; execution <= 12; ++execution) {
    SCOPED_TRACE(execution);
    NumberCrunchKernel::Execute(s);
    EXPECT_EQ(s.x, 0.0);
    EXPECT_TRUE(std::signbit(s.x)) << "x is -0.0";
    EXPECT_EQ(s.y, 0.0);
    EXPECT_FALSE(std::signbit(s.y));
    EXPECT_EQ(s.z, 0.0);
    EXPECT_FALSE(std::signbit(s.z));
    ExpectAllIntegersZero(s);
  }
}

TEST(NumberCrunchKernel, Statement1UsesTheLow32BitsOfItsTruncations) {
  // trunc32(2^32 + 551) is 551, as trunc32(550 + 1.0) is; statement 2 overwrites y before
  // anything else reads it, so the first execution ends as from the usual start.
  NumberCrunchState s;
  s.y = 4294967296.0 + 550.0;
  NumberCrunchKernel::Execute(s);
  ExpectFirstExecutionState(s);
}

TEST(NumberCrunchKernel, RunExecutesFiveTimesPassesFromTheInitialState) {
  const std::int32_t initial = NumberCrunchKernel::Summarise(NumberCrunchState{});
  NumberCrunchState fixedPoint;
  for (int execution = 0; execution < 3; ++execution) {
    NumberCrunchKernel::Execute(fixedPoint);
  }
  const std::int32_t atFixedPoint = NumberCrunchKernel::Summarise(fixedPoint);
  ASSERT_NE(initial, atFixedPoint);

  for (const std::int32_t passes : {0, -1, std::numeric_limits<std::int32_t>::min()}) {
    NumberCrunchKernel kernel;
    EXPECT_EQ(kernel.Run(passes), initial) << passes;
  }
  for (const std::int32_t passes : {1, 2, 1000}) {
    NumberCrunchKernel kernel;
    EXPECT_EQ(kernel.Run(passes), atFixedPoint) << passes;
  }
}

}  // namespace
}  // namespace quorvane

// Tests of the number crunch kernel: the state after the first, second and later executions of
// the chain, the 32-bit truncations, and that nothing runs for passes below 1.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <limits>

#include "kernels/NumberCrunchKernel.h"

namespace quorvane {
namespace {

std::array<double, 3> Reals(const NumberCrunchState& s) { return {s.x, s.y, s.z}; }
std::array<std::int64_t, 7> Integers(const NumberCrunchState& s) {
  return {s.i, s.j, s.k, s.r, s.p, s.q, s.t};  // i, j, k, r, p, q, t
}

void ExpectFirstExecutionState(const NumberCrunchState& s) {
  EXPECT_EQ(Reals(s), (std::array{10021000.0, 0.75, 0.0}));
  EXPECT_EQ(Integers(s), (std::array<std::int64_t, 7>{500, 0, 0, 360, 0, -360, 112}));
}

TEST(NumberCrunchKernel, FirstTwoExecutionsReachTheFixedPoint) {
  NumberCrunchState s;
  NumberCrunchKernel::Execute(s);
  ExpectFirstExecutionState(s);
  NumberCrunchKernel::Execute(s);
  EXPECT_EQ(Reals(s), (std::array{-1803780000000.0, 0.0, 0.0}));
  EXPECT_EQ(Integers(s), (std::array<std::int64_t, 7>{}));
  for (int execution = 3; execution <= 12; ++execution) {
    NumberCrunchKernel::Execute(s);
    EXPECT_EQ(Reals(s), (std::array{0.0, 0.0, 0.0})) << execution;
    // x is -0.0, y and z are +0.0.
    EXPECT_EQ((std::array{std::signbit(s.x), std::signbit(s.y), std::signbit(s.z)}),
              (std::array{true, false, false})) << execution;
    EXPECT_EQ(Integers(s), (std::array<std::int64_t, 7>{})) << execution;
  }
  // Statement 1 keeps the low 32 bits of its truncations: trunc32(2^32 + 551) is 551, as
  // trunc32(550 + 1.0) is, and statement 2 overwrites y before anything else reads it.
  NumberCrunchState wide;
  wide.y = 4294967296.0 + 550.0;
  NumberCrunchKernel::Execute(wide);
  ExpectFirstExecutionState(wide);
}

TEST(NumberCrunchKernel, RunExecutesFiveTimesPassesFromTheInitialState) {
  const std::int32_t initial = NumberCrunchKernel::Summarise(NumberCrunchState{});
  NumberCrunchState fixedPoint;
  for (int execution = 0; execution < 3; ++execution) NumberCrunchKernel::Execute(fixedPoint);
  const std::int32_t atFixedPoint = NumberCrunchKernel::Summarise(fixedPoint);
  ASSERT_NE(initial, atFixedPoint);
  for (const std::int32_t passes : {0, -1, std::numeric_limits<std::int32_t>::min()}) {
    EXPECT_EQ(NumberCrunchKernel().Run(passes), initial) << passes;
  }
  for (const std::int32_t passes : {1, 2, 1000}) {
    EXPECT_EQ(NumberCrunchKernel().Run(passes), atFixedPoint) << passes;
  }
}

}  // namespace
}  // namespace quorvane

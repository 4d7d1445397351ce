// Tests of the floating point kernel: the generator's values, the Bessel order of the first and
// later passes, the conversions of steps 4, 9, 10 and 13 with NaN and infinities, and that
// nothing runs for passes below 1.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

#include "kernels/Conversions.h"
#include "kernels/FloatingPointKernel.h"
#include "kernels/PseudoRandom.h"

namespace quorvane {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(FloatingPointKernel, GeneratorStartsAtOneAndWrapsModulo2To32) {
  PseudoRandom generator;
  EXPECT_EQ(generator.Next(), 41);
  EXPECT_EQ(generator.Next(), 18467);
  EXPECT_EQ(generator.Next(), 6334);

  // 0xFFFFFFFF x 214013 + 2531011 = 2531011 - 214013 = 2316998 (mod 2^32); 2316998 >> 16 = 35.
  generator.state = 0xFFFFFFFFu;
  EXPECT_EQ(generator.Next(), 35);
  EXPECT_EQ(generator.state, 2316998u);
  // Bit 31 of the state is not part of the value.
  generator.state = 0x80000000u;  // next state 0x80000000 x 214013 + 2531011 = 0x80269EC3
  EXPECT_EQ(generator.Next(), 0x0026);
}

TEST(FloatingPointKernel, PassesCarryTheState) {
  FloatingPointState s;
  FloatingPointKernel::ExecutePass(s);
  EXPECT_EQ(s.n, 329);  // from H = 328
  EXPECT_EQ(s.D, 41.0);
  FloatingPointKernel::ExecutePass(s);
  EXPECT_EQ(s.D, 18467.0);
  FloatingPointKernel::ExecutePass(s);
  EXPECT_EQ(s.D, 6334.0);
  for (int pass = 4; pass <= 300; ++pass) {
    FloatingPointKernel::ExecutePass(s);
    // H = tan(|F|) with |F| at most 1 from the second pass on.
    ASSERT_TRUE(s.n == 1 || s.n == 2) << "pass " << pass << ": n = " << s.n;
    ASSERT_TRUE(std::isnan(s.H) || (s.H >= 0.0 && s.H <= std::tan(1.0))) << "pass " << pass;
  }
}

TEST(FloatingPointKernel, NaNInHGivesOrderOne) {
  FloatingPointState s;
  s.H = kNaN;
  FloatingPointKernel::ExecutePass(s);
  EXPECT_EQ(s.n, 1);
}

TEST(FloatingPointKernel, BesselOrderIsMagnitudePlusOne) {
  EXPECT_EQ(FloatingPointKernel::BesselOrder(328.0), 329);
  EXPECT_EQ(FloatingPointKernel::BesselOrder(-328.9), 329);
  EXPECT_EQ(FloatingPointKernel::BesselOrder(0.99), 1);
  EXPECT_EQ(FloatingPointKernel::BesselOrder(1.5574), 2);
  EXPECT_EQ(FloatingPointKernel::BesselOrder(kNaN), 1);
  EXPECT_EQ(FloatingPointKernel::BesselOrder(kInf), 1);
  EXPECT_EQ(FloatingPointKernel::BesselOrder(-kInf), 1);
  EXPECT_EQ(FloatingPointKernel::BesselOrder(1e300), 1);
  // trunc32 keeps the low 32 bits: 2^32 + 5 gives 5.
  EXPECT_EQ(FloatingPointKernel::BesselOrder(4294967296.0 + 5.0), 6);
  // |-2^31| wraps back to -2^31; the sum wraps as well.
  EXPECT_EQ(FloatingPointKernel::BesselOrder(-2147483648.0), -2147483647);
}

TEST(FloatingPointKernel, RotationOfTheTruncation) {
  EXPECT_EQ(FloatingPointKernel::RotatedTruncation(kNaN), 0.0);
  EXPECT_EQ(FloatingPointKernel::RotatedTruncation(kInf), 0.0);
  EXPECT_EQ(FloatingPointKernel::RotatedTruncation(-kInf), 0.0);
  EXPECT_EQ(FloatingPointKernel::RotatedTruncation(1e19), 0.0);  // beyond the 64-bit range
  EXPECT_EQ(FloatingPointKernel::RotatedTruncation(0.0), 0.0);
  EXPECT_EQ(FloatingPointKernel::RotatedTruncation(3.9), 6.0);
  // -1 is 0xFFFFFFFF, which rotates into itself and reads as 4294967295.
  EXPECT_EQ(FloatingPointKernel::RotatedTruncation(-1.5), 4294967295.0);
  // The top bit moves to the bottom: 0x80000001 -> 0x00000003.
  EXPECT_EQ(FloatingPointKernel::RotatedTruncation(2147483649.0), 3.0);
  // -2 is 0xFFFFFFFE -> 0xFFFFFFFD.
  EXPECT_EQ(FloatingPointKernel::RotatedTruncation(-2.0), 4294967293.0);
}

TEST(FloatingPointKernel, ComparisonsTakeTheSecondChoiceOnNaN) {
  EXPECT_EQ(FloatingPointKernel::LargerOrSecond(2.0, 1.0), 2.0);
  EXPECT_EQ(FloatingPointKernel::LargerOrSecond(1.0, 2.0), 2.0);
  // A tie gives A: +0.0 and -0.0 compare equal.
  EXPECT_TRUE(std::signbit(FloatingPointKernel::LargerOrSecond(0.0, -0.0)));
  EXPECT_FALSE(std::signbit(FloatingPointKernel::LargerOrSecond(-0.0, 0.0)));
  EXPECT_EQ(FloatingPointKernel::LargerOrSecond(kNaN, 3.0), 3.0);
  EXPECT_TRUE(std::isnan(FloatingPointKernel::LargerOrSecond(3.0, kNaN)));

  EXPECT_EQ(FloatingPointKernel::SmallerMagnitude(-5.0, 2.0), 2.0);
  EXPECT_EQ(FloatingPointKernel::SmallerMagnitude(0.5, -2.0), 0.5);
  EXPECT_EQ(FloatingPointKernel::SmallerMagnitude(-3.0, 3.0), 3.0);
  EXPECT_TRUE(std::isnan(FloatingPointKernel::SmallerMagnitude(kNaN, 2.0)));
  EXPECT_EQ(FloatingPointKernel::SmallerMagnitude(-2.0, kNaN), 2.0);
  EXPECT_EQ(FloatingPointKernel::SmallerMagnitude(-kInf, 7.0), 7.0);
}

TEST(FloatingPointKernel, ConversionsOfSpecialValues) {
  EXPECT_EQ(TruncToInt64(kNaN), std::numeric_limits<std::int64_t>::min());
  EXPECT_EQ(TruncToInt64(kInf), std::numeric_limits<std::int64_t>::min());
  EXPECT_EQ(TruncToInt64(9223372036854775808.0), std::numeric_limits<std::int64_t>::min());
  EXPECT_EQ(TruncToInt64(-9223372036854775808.0), std::numeric_limits<std::int64_t>::min());
  EXPECT_EQ(TruncToInt64(-2.9), -2);
  EXPECT_EQ(TruncToInt32Low(kNaN), 0);
  EXPECT_EQ(TruncToInt32Low(-1803780000000.0), 106264320);
}

TEST(FloatingPointKernel, NoPassBelowOne) {
  const std::int32_t initial = FloatingPointKernel::Summarise(FloatingPointState{});
  FloatingPointState once;
  FloatingPointKernel::ExecutePass(once);
  ASSERT_NE(FloatingPointKernel::Summarise(once), initial);
  for (const std::int32_t passes : {0, -1, std::numeric_limits<std::int32_t>::min()}) {
    FloatingPointKernel kernel;
    EXPECT_EQ(kernel.Run(passes), initial) << passes;
  }
  FloatingPointKernel kernel;
  EXPECT_EQ(kernel.Run(1), FloatingPointKernel::Summarise(once));
}

TEST(FloatingPointKernel, EveryCallStartsItsGeneratorAtOne) {
  FloatingPointKernel first;
  FloatingPointKernel second;
  const std::int32_t a = first.Run(50);
  EXPECT_EQ(second.Run(50), a);
  EXPECT_EQ(first.Run(50), a);
}

}  // namespace
}  // namespace quorvane

// Tests of the floating point kernel: the generator's values, the Bessel order of the first and
// later passes, the conversions of steps 4, 9, 10 and 13 at NaN and the ends of the integer
// ranges, and that nothing runs for passes below 1.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <limits>

#include "kernels/FloatingPointKernel.h"
#include "kernels/PseudoRandom.h"

namespace quorvane {
namespace {

using FP = FloatingPointKernel;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(FloatingPointKernel, PassesCarryTheStateAndTheGeneratorWraps) {
  FloatingPointState s;
  FP::ExecutePass(s);
  EXPECT_EQ(s.n, 329);  // from H = 328
  EXPECT_EQ(s.D, 41.0);
  FP::ExecutePass(s);
  EXPECT_EQ(s.D, 18467.0);
  FP::ExecutePass(s);
  EXPECT_EQ(s.D, 6334.0);
  for (int pass = 4; pass <= 300; ++pass) {
    FP::ExecutePass(s);
    // H = tan(|F|) with |F| at most 1 from the second pass on.
    ASSERT_TRUE(s.n == 1 || s.n == 2) << "pass " << pass << ": n = " << s.n;
    ASSERT_TRUE(std::isnan(s.H) || (s.H >= 0.0 && s.H <= std::tan(1.0))) << "pass " << pass;
  }
  // 0xFFFFFFFF x 214013 + 2531011 = 2316998 (mod 2^32), >> 16 = 35; bit 31 is not in the value.
  PseudoRandom generator{0xFFFFFFFFu};
  EXPECT_EQ(generator.Next(), 35);
  generator.state = 0x80000000u;  // next state 0x80269EC3
  EXPECT_EQ(generator.Next(), 0x0026);
}

TEST(FloatingPointKernel, StepsOfTheChainAtTheirEdges) {
  // Step 4: |trunc32(H)| + 1, where trunc32 of NaN is 0 and keeps the low 32 bits of a larger
  // truncation (-1803780000000 gives 106264320); |-2^31| and the sum wrap.
  EXPECT_EQ((std::array{FP::BesselOrder(-328.9), FP::BesselOrder(kNaN),
                        FP::BesselOrder(4294967301.0), FP::BesselOrder(-1803780000000.0),
                        FP::BesselOrder(-2147483648.0)}),
            (std::array{329, 1, 6, 106264321, -2147483647}));
  // Step 9: NaN and values from 2^63 on give 0; truncation is toward zero (-2 is 0xFFFFFFFE),
  // and the top bit moves to the bottom.
  EXPECT_EQ((std::array{FP::RotatedTruncation(kNaN), FP::RotatedTruncation(9223372036854775808.0),
                        FP::RotatedTruncation(3.9), FP::RotatedTruncation(-2.9),
                        FP::RotatedTruncation(2147483649.0)}),
            (std::array{0.0, 0.0, 6.0, 4294967293.0, 3.0}));
  // Steps 10 and 13 take the second choice on NaN and on a tie (+0.0 and -0.0 are equal).
  EXPECT_EQ((std::array{FP::LargerOrSecond(2.0, 1.0), FP::LargerOrSecond(1.0, 2.0),
                        FP::LargerOrSecond(kNaN, 3.0), FP::SmallerMagnitude(-5.0, 2.0),
                        FP::SmallerMagnitude(-2.0, kNaN)}),
            (std::array{2.0, 2.0, 3.0, 2.0, 2.0}));
  EXPECT_TRUE(std::signbit(FP::LargerOrSecond(0.0, -0.0)));
  EXPECT_TRUE(std::isnan(FP::LargerOrSecond(3.0, kNaN)));
  EXPECT_TRUE(std::isnan(FP::SmallerMagnitude(kNaN, 2.0)));
}

TEST(FloatingPointKernel, NoPassBelowOneAndEveryCallStartsItsGeneratorAtOne) {
  FloatingPointState once;
  FP::ExecutePass(once);
  const std::int32_t initial = FP::Summarise(FloatingPointState{});
  ASSERT_NE(FP::Summarise(once), initial);
  for (const std::int32_t passes : {0, -1, std::numeric_limits<std::int32_t>::min()}) {
    EXPECT_EQ(FP().Run(passes), initial) << passes;
  }
  FP kernel;
  EXPECT_EQ(kernel.Run(1), FP::Summarise(once));
  EXPECT_EQ(kernel.Run(1), FP::Summarise(once));  // the same object starts over
  EXPECT_EQ(kernel.Run(50), FP().Run(50));
}

}  // namespace
}  // namespace quorvane

// Tests of the Whetstone kernel: loop counts, the values the modules leave behind, and that
// nothing runs for LOOP below 1.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

#include "kernels/WhetstoneKernel.h"

namespace quorvane {
namespace {

TEST(WhetstoneKernel, LoopCountsAreWrapping32BitProducts) {
  WhetstoneKernel k;
  k.Prepare(80000);
  EXPECT_EQ(k.N1, 0);
  EXPECT_EQ(k.N2, 960000);
  EXPECT_EQ(k.N3, 1120000);
  EXPECT_EQ(k.N4, 27600000);
  EXPECT_EQ(k.N6, 16800000);
  EXPECT_EQ(k.N7, 2560000);
  EXPECT_EQ(k.N8, 71920000);
  EXPECT_EQ(k.N9, 49280000);
  EXPECT_EQ(k.N10, 0);
  EXPECT_EQ(k.N11, 7440000);
  EXPECT_DOUBLE_EQ(k.T, 0.499975);
  EXPECT_DOUBLE_EQ(k.T1, 0.50025);
  EXPECT_DOUBLE_EQ(k.T2, 2.0);

  // 2^30: 899 x 2^30 = 3 x 2^30 (mod 2^32), read as signed; 12 x 2^30 = 0.
  k.Prepare(1 << 30);
  EXPECT_EQ(k.N8, -(1 << 30));
  EXPECT_EQ(k.N2, 0);
  EXPECT_EQ(k.N11, 1 << 30);  // 93 = 1 (mod 4)
}

TEST(WhetstoneKernel, FinalValuesAfterRun) {
  for (const std::int32_t loop : {1, 2, 7}) {
    SCOPED_TRACE(loop);
    WhetstoneKernel k;
    EXPECT_EQ(k.Run(loop), loop);
    EXPECT_EQ(k.N8, 899 * loop);
    // Module 8 leaves X and Y at 1.0, so Z = (0.99995 + 0.99992500125) / 2.
    EXPECT_DOUBLE_EQ(k.Z, 0.999937500625);
    EXPECT_EQ(k.Y, 1.0);
    // Module 9 with an even count: 1, 2, 3 -> 3, 2, 3.
    EXPECT_EQ(k.E1[1], 3.0);
    EXPECT_EQ(k.E1[2], 2.0);
    EXPECT_EQ(k.E1[3], 3.0);
    // Module 10 does not run; module 9's L stays.
    EXPECT_EQ(k.J, 2);
    EXPECT_EQ(k.K, 3);
    EXPECT_EQ(k.L, 3);
    // Module 11 moves X from 0.75 toward 1.
    EXPECT_GT(k.X, 0.75);
    EXPECT_LT(k.X, 1.0);
    // The last module's counter ends at its count.
    EXPECT_EQ(k.I, k.N11);
    // Module 1 never runs.
    EXPECT_EQ(k.X1, 1.0);
    EXPECT_EQ(k.X4, -1.0);
  }
}

TEST(WhetstoneKernel, NothingRunsBelowOne) {
  for (const std::int32_t loop : {0, -1, -80000, std::numeric_limits<std::int32_t>::min()}) {
    SCOPED_TRACE(loop);
    WhetstoneKernel k;
    EXPECT_EQ(k.Run(loop), loop);
    EXPECT_EQ(k.I, 0);  // no module loop has set its counter
    EXPECT_EQ(k.Z, 1.0);
    EXPECT_EQ(k.X, 0.75);
    EXPECT_EQ(k.E1[1], 1.0);
    EXPECT_EQ(k.E1[2], 2.0);
    EXPECT_EQ(k.E1[3], 3.0);
    EXPECT_EQ(k.E1[4], -1.0);  // as module 2 set it: neither module 2 nor 3 ran
  }
}

TEST(WhetstoneKernel, ConditionalJumpsAlternate) {
  WhetstoneKernel k;
  k.Prepare(2);  // N4 = 690, even
  k.Module4();
  EXPECT_EQ(k.J, 1);
  EXPECT_EQ(k.I, 690);
  k.Prepare(1);  // N4 = 345, odd
  k.Module4();
  EXPECT_EQ(k.J, 0);
}

TEST(WhetstoneKernel, IntegerArithmeticKeepsJKL) {
  WhetstoneKernel k;
  k.Prepare(3);
  k.E1 = {0.0, -5.0, -5.0, -5.0, -5.0};
  k.Module6();
  EXPECT_EQ(k.J, 1);
  EXPECT_EQ(k.K, 2);
  EXPECT_EQ(k.L, 3);
  EXPECT_EQ(k.E1[1], 6.0);
  EXPECT_EQ(k.E1[2], 6.0);
  EXPECT_EQ(k.E1[3], -5.0);
  EXPECT_EQ(k.E1[4], -5.0);
  EXPECT_EQ(k.I, 630);
}

TEST(WhetstoneKernel, TrigonometricModuleShrinksXAndY) {
  WhetstoneKernel k;
  k.Prepare(4);
  k.Module7();
  EXPECT_EQ(k.I, 128);
  EXPECT_GT(k.X, 0.0);
  EXPECT_LT(k.X, 0.5);
  EXPECT_GT(k.Y, 0.0);
  EXPECT_LT(k.Y, 0.5);
}

TEST(WhetstoneKernel, ArrayReferencesCycleWithPeriodTwo) {
  WhetstoneKernel k;
  k.Prepare(1);
  k.N9 = 3;  // odd: 1, 2, 3 -> 2, 3, 2 -> 3, 2, 3 -> 2, 3, 2
  k.Module9();
  EXPECT_EQ(k.E1[1], 2.0);
  EXPECT_EQ(k.E1[2], 3.0);
  EXPECT_EQ(k.E1[3], 2.0);
}

}  // namespace
}  // namespace quorvane

// Tests of the Whetstone kernel: wrapping loop counts, the values the modules leave behind, the
// modules whose results a later module overwrites, and that nothing runs for LOOP below 1.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <limits>

#include "kernels/WhetstoneKernel.h"

namespace quorvane {
namespace {

TEST(WhetstoneKernel, LoopCountsAreWrapping32BitProducts) {
  WhetstoneKernel k;
  k.Prepare(80000);
  EXPECT_EQ((std::array{k.N1, k.N2, k.N3, k.N4, k.N6, k.N7, k.N8, k.N9, k.N10, k.N11}),
            (std::array{0, 960000, 1120000, 27600000, 16800000, 2560000, 71920000, 49280000, 0,
                        7440000}));
  // 2^30: 899 x 2^30 = 3 x 2^30 (mod 2^32), read as signed; 12 x 2^30 = 0; 93 = 1 (mod 4).
  k.Prepare(1 << 30);
  EXPECT_EQ(k.N8, -(1 << 30));
  EXPECT_EQ(k.N2, 0);
  EXPECT_EQ(k.N11, 1 << 30);
}

TEST(WhetstoneKernel, FinalValuesAfterRun) {
  for (const std::int32_t loop : {1, 2, 7}) {
    SCOPED_TRACE(loop);
    WhetstoneKernel k;
    EXPECT_EQ(k.Run(loop), loop);
    EXPECT_EQ(k.N8, 899 * loop);
    // Module 8 leaves X and Y at 1.0, so Z = (0.99995 + 0.99992500125) / 2.
    EXPECT_DOUBLE_EQ(k.Z, 0.999937500625);
    // Module 9 with an even count: 1, 2, 3 -> 3, 2, 3; module 10 does not run, so J, K stay.
    EXPECT_EQ((std::array{k.E1[1], k.E1[2], k.E1[3]}), (std::array{3.0, 2.0, 3.0}));
    EXPECT_EQ((std::array{k.J, k.K, k.L}), (std::array{2, 3, 3}));
    // Module 11 moves X from 0.75 toward 1, and its counter ends at its count.
    EXPECT_TRUE(k.X > 0.75 && k.X < 1.0) << k.X;
    EXPECT_EQ(k.I, k.N11);
  }
}

TEST(WhetstoneKernel, NothingRunsBelowOne) {
  for (const std::int32_t loop : {0, -1, -80000, std::numeric_limits<std::int32_t>::min()}) {
    WhetstoneKernel k;
    EXPECT_EQ(k.Run(loop), loop);
    // No counter set, Z and X as modules 8 and 11 set them, E1[4] as module 2 set it.
    EXPECT_EQ((std::array{double(k.I), k.Z, k.X, k.E1[4]}), (std::array{0.0, 1.0, 0.75, -1.0}))
        << loop;
  }
}

// Run overwrites what modules 4, 6 and 7 leave, so they are checked on their own.
TEST(WhetstoneKernel, ModulesWhoseResultsRunOverwrites) {
  WhetstoneKernel k;
  k.Prepare(2);  // N4 = 690, even: J goes 1 -> 0 -> 1 ...
  k.Module4();
  EXPECT_EQ(k.J, 1);
  k.Prepare(1);  // N4 = 345, odd
  k.Module4();
  EXPECT_EQ(k.J, 0);
  // (1, 2, 3) is module 6's fixed point; it writes E1[2] and E1[1] only.
  k.E1 = {0.0, -5.0, -5.0, -5.0, -5.0};
  k.Module6();
  EXPECT_EQ((std::array{k.J, k.K, k.L}), (std::array{1, 2, 3}));
  EXPECT_EQ(k.E1, (std::array{0.0, 6.0, 6.0, -5.0, -5.0}));
  k.Module7();
  EXPECT_TRUE(k.X > 0.0 && k.X < 0.5 && k.Y > 0.0 && k.Y < 0.5) << k.X << ", " << k.Y;
}

}  // namespace
}  // namespace quorvane

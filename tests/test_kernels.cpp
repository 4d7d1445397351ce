// The seven kernels: what each leaves after one and more passes, their 32-bit wrapping, that no
// pass runs below one, and kernels on many threads at once. The values known in advance that
// the runner checks after every timed run are asked of its check (OutcomeOf), not listed again.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <latch>
#include <limits>
#include <memory>
#include <set>
#include <thread>
#include <vector>

#include "engine/KernelCheck.h"
#include "kernels/PseudoRandom.h"

namespace quorvane {
namespace {

constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(DhrystoneKernel, PublishedFinalValuesOnManyThreadsNoPassBelowOneAndTheCounterCellWraps) {
  constexpr int kThreads = 128;
  const std::int32_t passes[] = {1, 2, 3, 100, 5000};
  std::vector<std::unique_ptr<DhrystoneKernel>> kernels(kThreads);
  std::latch start(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      kernels[t] = std::make_unique<DhrystoneKernel>();
      start.arrive_and_wait();
      kernels[t]->Run(passes[t % 5]);
    });
  }
  for (auto& thread : threads) thread.join();
  for (int t = 0; t < kThreads; ++t) {
    EXPECT_FALSE(OutcomeOf(*kernels[t], passes[t % 5]).knownValuesMissed) << t;
  }

  for (const std::int32_t none : {0, -1, kMin}) {
    DhrystoneKernel kernel;
    EXPECT_EQ(kernel.Run(none), none);
    // As initialised: no record copied, no cell but [8][7] set.
    const DhrystoneState& s = kernel.lastState();
    EXPECT_EQ((std::array{s.Arr_2_Glob[8][7], s.Arr_1_Glob[8], s.Glob_Record.Int_Comp,
                          s.Next_Record.Int_Comp, std::int32_t{s.Str_2_Loc[0]}}),
              (std::array{10, 0, 40, 0, 0}))
        << none;
  }
  auto state = std::make_unique<DhrystoneState>();
  DhrystoneKernel::Initialise(*state);
  state->Arr_2_Glob[8][7] = kMax - 1;
  DhrystoneKernel::Execute(*state, 3);
  EXPECT_EQ(state->Arr_2_Glob[8][7], kMin + 1);
  EXPECT_EQ(state->Int_Glob, 5);
}

TEST(FloatingPointKernel, PassesCarryTheStateAndTheGeneratorWraps) {
  FloatingPointState s;
  std::array<double, 3> d{};
  for (double& value : d) {
    FloatingPointKernel::ExecutePass(s);
    value = s.D;
  }
  EXPECT_EQ(d, (std::array{41.0, 18467.0, 6334.0}));
  for (int pass = 4; pass <= 300; ++pass) {
    FloatingPointKernel::ExecutePass(s);
    // H = tan(|F|) with |F| at most 1 from the second pass on.
    ASSERT_TRUE(s.n == 1 || s.n == 2) << "pass " << pass << ": n = " << s.n;
    ASSERT_TRUE(std::isnan(s.H) || (s.H >= 0.0 && s.H <= std::tan(1.0))) << "pass " << pass;
  }
  // 0xFFFFFFFF x 214013 + 2531011 = 2316998 (mod 2^32), >> 16 = 35; bit 31 is not in the value.
  PseudoRandom generator{0xFFFFFFFFu};
  EXPECT_EQ(generator.Next(), 35);
  generator.state = 0x80000000u;  // next state 0x80269EC3
  EXPECT_EQ(generator.Next(), 0x0026);
  // Each Run starts over from the initial state with a generator at 1; none below one pass.
  FloatingPointState once;
  FloatingPointKernel::ExecutePass(once);
  FloatingPointKernel kernel;
  EXPECT_EQ((std::array{kernel.Run(1), kernel.Run(1), kernel.Run(0), kernel.Run(kMin)}),
            (std::array{FloatingPointKernel::Summarise(once), FloatingPointKernel::Summarise(once),
                        FloatingPointKernel::Summarise(FloatingPointState{}),
                        FloatingPointKernel::Summarise(FloatingPointState{})}));
  EXPECT_EQ(kernel.Run(50), FloatingPointKernel().Run(50));
}

TEST(FloatingPointKernel, StepsOfTheChainAtTheirEdges) {
  using FP = FloatingPointKernel;
  // Step 4: |trunc32(H)| + 1, where trunc32 of NaN is 0 and keeps the low 32 bits of a larger
  // truncation (-1803780000000 gives 106264320); |-2^31| and the sum wrap.
  EXPECT_EQ(
      (std::array{FP::BesselOrder(-328.9), FP::BesselOrder(kNaN), FP::BesselOrder(4294967301.0),
                  FP::BesselOrder(-1803780000000.0), FP::BesselOrder(-2147483648.0)}),
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
  EXPECT_TRUE(std::isnan(FP::LargerOrSecond(3.0, kNaN)) &&
              std::isnan(FP::SmallerMagnitude(kNaN, 2.0)));
}

TEST(MatrixKernel, SumsAddUpOverPassesAndWrapAt32BitsAndRunReturnsOne) {
  using M = MatrixKernel;
  const auto countAfter = [](std::int32_t a, std::int32_t b, std::int32_t r, std::int32_t expected,
                             int passes) {
    std::vector<std::int32_t> A(M::kSizeA, a), B(M::kSizeB, b), R(M::kSizeR, r);
    for (int pass = 0; pass < passes; ++pass) M::MultiplyAdd(A.data(), B.data(), R.data());
    return static_cast<std::size_t>(std::ranges::count(R, expected));
  };
  EXPECT_EQ(countAfter(1, 1, 0, 1024, 1), M::kSizeR);
  EXPECT_EQ(countAfter(1, 1, 0, 2048, 2), M::kSizeR);  // R is not cleared between passes
  // 1024 x 3 x (2^31 - 1) = 3 x 2^41 - 3072, which is -3072 modulo 2^32.
  EXPECT_EQ(countAfter(kMax, 3, 0, -3072, 1), M::kSizeR);
  // 2^16 x 2^16 is 0 modulo 2^32, and so is every sum of such products.
  EXPECT_EQ(countAfter(1 << 16, 1 << 16, kMin, kMin, 1), M::kSizeR);
  for (const std::int32_t passes : {0, -1, kMin, 1}) EXPECT_EQ(M().Run(passes), 1) << passes;
}

TEST(MemoryKernel, APassLeavesTheLowByteOfEveryIndexAndWritesNothingOutside) {
  constexpr std::size_t kGuard = 4096;  // sentinel bytes on both sides of the buffer
  std::vector<std::uint8_t> bytes(kGuard + MemoryKernel::kBufferBytes + kGuard, 0xA5);
  std::uint8_t* const buffer = bytes.data() + kGuard;
  MemoryKernel::FillBlock(buffer, 0);  // an empty block writes nothing
  EXPECT_EQ(std::ranges::count(bytes, 0xA5), bytes.size());
  MemoryKernel::FillPass(buffer);
  for (std::size_t j = 0; j < MemoryKernel::kBufferBytes; ++j)
    ASSERT_EQ(buffer[j], j % 256) << "byte " << j;
  // A block one byte too long, or a fifth (64 MiB) block, would reach a guard.
  EXPECT_EQ(std::count(bytes.begin(), bytes.begin() + kGuard, 0xA5), kGuard);
  EXPECT_EQ(std::count(bytes.end() - kGuard, bytes.end(), 0xA5), kGuard);
  for (const std::int32_t passes : {0, -1, kMin, 1, 2})
    EXPECT_EQ(MemoryKernel().Run(passes), 1) << passes;
}

TEST(NumberCrunchKernel, FirstTwoExecutionsReachTheFixedPointAndRunStartsOverEachTime) {
  const auto state = [](const NumberCrunchState& s) {
    return std::array{s.x,         s.y,         s.z,         double(s.i), double(s.j),
                      double(s.k), double(s.r), double(s.p), double(s.q), double(s.t)};
  };
  const std::array<double, 10> first{10021000.0, 0.75, 0.0, 500, 0, 0, 360, 0, -360, 112};
  NumberCrunchState s;
  NumberCrunchKernel::Execute(s);
  EXPECT_EQ(state(s), first);
  NumberCrunchKernel::Execute(s);
  EXPECT_EQ(state(s), (std::array<double, 10>{-1803780000000.0}));
  NumberCrunchKernel::Execute(s);
  EXPECT_EQ(state(s), (std::array<double, 10>{}));
  // x is -0.0, y and z are +0.0 from then on.
  EXPECT_EQ((std::array{std::signbit(s.x), std::signbit(s.y), std::signbit(s.z)}),
            (std::array{true, false, false}));
  // Statement 1 keeps the low 32 bits of its truncations: trunc32(2^32 + 551) is 551, as
  // trunc32(550 + 1.0) is, and statement 2 overwrites y before anything else reads it.
  NumberCrunchState wide;
  wide.y = 4294967296.0 + 550.0;
  NumberCrunchKernel::Execute(wide);
  EXPECT_EQ(state(wide), first);

  const std::int32_t initial = NumberCrunchKernel::Summarise(NumberCrunchState{});
  ASSERT_NE(initial, NumberCrunchKernel::Summarise(s));
  NumberCrunchKernel kernel;
  for (const std::int32_t passes : {1, 0, 2, -1, 1000, kMin}) {
    EXPECT_EQ(kernel.Run(passes), passes >= 1 ? NumberCrunchKernel::Summarise(s) : initial)
        << passes;
  }
}

TEST(QueensKernel, EverySolveDoesTheFullSearchAndFreesEveryFlagAndNoneRunsBelowOne) {
  BasicQueensKernel<QueensCountingProbe> kernel;
  const QueensCountingProbe& probe = kernel.probe();
  EXPECT_EQ(kernel.Run(1), 1);
  EXPECT_EQ(probe.completePlacements.front(),
            (std::array<std::int32_t, 8>{1, 5, 8, 6, 3, 7, 2, 4}));
  EXPECT_EQ(std::set(probe.completePlacements.begin(), probe.completePlacements.end()).size(), 92u);
  EXPECT_EQ(kernel.Run(2), 1);  // two more solves repeat the same work
  EXPECT_EQ((std::array{probe.tryRowCalls, probe.placements}),
            (std::array<std::int64_t, 2>{3 * 1965, 3 * 2056}));
  ASSERT_EQ(probe.completePlacements.size(), 3u * 92u);
  EXPECT_TRUE(std::equal(probe.completePlacements.begin(), probe.completePlacements.end() - 92,
                         probe.completePlacements.begin() + 92));
  // Flags all free again; row 1 tried every column, the last being 8; slots 0 and 9 unwritten.
  const auto allFree = [](const auto& flags, std::size_t from) {
    return std::all_of(flags.begin() + from, flags.end(),
                       [](std::uint8_t flag) { return flag == 1; });
  };
  EXPECT_TRUE(allFree(kernel.ColumnFree(), 1) && allFree(kernel.SumDiagonalFree(), 2) &&
              allFree(kernel.DiffDiagonalFree(), 0));
  EXPECT_EQ((std::array{kernel.QueenColumn()[0], kernel.QueenColumn()[1], kernel.QueenColumn()[9]}),
            (std::array{0, 8, 0}));
  for (const std::int32_t passes : {0, -1, -20000}) {
    BasicQueensKernel<QueensCountingProbe> idle;
    EXPECT_EQ(idle.Run(passes), 1);
    // No call, no placement, the flags still as constructed (0).
    EXPECT_EQ(idle.probe().tryRowCalls + idle.probe().placements + idle.ColumnFree()[1], 0)
        << passes;
  }
}

TEST(WhetstoneKernel, LoopCountsAreWrapping32BitProducts) {
  WhetstoneKernel k;
  k.Prepare(80000);
  EXPECT_EQ((std::array{k.N1, k.N2, k.N3, k.N4, k.N6, k.N7, k.N8, k.N9, k.N10, k.N11}),
            (std::array{0, 960000, 1120000, 27600000, 16800000, 2560000, 71920000, 49280000, 0,
                        7440000}));
  // 2^30: 899 x 2^30 = 3 x 2^30 (mod 2^32), read as signed; 12 x 2^30 = 0; 93 = 1 (mod 4).
  k.Prepare(1 << 30);
  EXPECT_EQ((std::array{k.N8, k.N2, k.N11}), (std::array{-(1 << 30), 0, 1 << 30}));
}

TEST(WhetstoneKernel, ValuesTheModulesLeaveAndNoneBelowOne) {
  for (const std::int32_t loop : {1, 2, 7}) {
    WhetstoneKernel k;
    EXPECT_EQ(k.Run(loop), loop);
    // Module 8 leaves X and Y at 1.0, so Z = (0.99995 + 0.99992500125) / 2; module 9 with an
    // even count takes E1 1, 2, 3 to 3, 2, 3; module 10 does not run, so J and K stay.
    EXPECT_DOUBLE_EQ(k.Z, 0.999937500625) << loop;
    EXPECT_EQ((std::array{k.E1[1], k.E1[2], k.E1[3], double(k.J), double(k.K), double(k.L)}),
              (std::array{3.0, 2.0, 3.0, 2.0, 3.0, 3.0}))
        << loop;
    // Module 11 moves X from 0.75 toward 1, and its counter ends at its count.
    EXPECT_TRUE(k.X > 0.75 && k.X < 1.0 && k.I == k.N11) << loop;
  }
  for (const std::int32_t loop : {0, -1, -80000, kMin}) {
    WhetstoneKernel k;
    EXPECT_EQ(k.Run(loop), loop);
    // No counter set, Z and X as modules 8 and 11 set them, E1[4] as module 2 set it.
    EXPECT_EQ((std::array{double(k.I), k.Z, k.X, k.E1[4]}), (std::array{0.0, 1.0, 0.75, -1.0}))
        << loop;
  }
  // What Run overwrites, module by module: module 4 flips J N4 times (690, then 345).
  WhetstoneKernel k;
  k.Prepare(2);
  k.Module4();
  EXPECT_EQ(k.J, 1);
  k.Prepare(1);
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

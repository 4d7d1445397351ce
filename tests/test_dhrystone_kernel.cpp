// Tests of the Dhrystone 2.1 kernel: the published final values after any number of passes,
// the cells Proc_8 touches, wrapping of the pass counter cell, and many threads at once.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <latch>
#include <limits>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "kernels/DhrystoneKernel.h"

namespace quorvane {
namespace {

using dhrystone::Enumeration;

constexpr char kSomeString[] = "DHRYSTONE PROGRAM, SOME STRING";

std::unique_ptr<DhrystoneState> StateAfter(std::int32_t passes) {
  auto state = std::make_unique<DhrystoneState>();
  DhrystoneKernel::Initialise(*state);
  DhrystoneKernel::Execute(*state, passes);
  return state;
}

// The final values of the published benchmark after `passes` >= 1 passes.
void ExpectFinalValues(const DhrystoneState& s, std::int32_t passes) {
  EXPECT_EQ((std::array{s.Int_Glob, s.Glob_Record.Int_Comp, s.Next_Record.Int_Comp, s.Int_1_Loc,
                        s.Int_2_Loc, s.Int_3_Loc}),
            (std::array{5, 17, 18, 5, 13, 7}));
  EXPECT_TRUE(s.Bool_Glob);
  EXPECT_EQ(std::string({s.Ch_1_Glob, s.Ch_2_Glob}), "AB");
  EXPECT_EQ(s.Glob_Record.Ptr_Comp, &s.Next_Record);
  EXPECT_EQ(s.Next_Record.Ptr_Comp, &s.Next_Record);
  EXPECT_EQ((std::array{s.Glob_Record.Discr, s.Glob_Record.Enum_Comp, s.Next_Record.Discr,
                        s.Next_Record.Enum_Comp, s.Enum_Loc}),
            (std::array{Enumeration::Ident_1, Enumeration::Ident_3, Enumeration::Ident_1,
                        Enumeration::Ident_2, Enumeration::Ident_2}));
  EXPECT_STREQ(s.Glob_Record.Str_Comp, kSomeString);
  EXPECT_STREQ(s.Next_Record.Str_Comp, kSomeString);
  EXPECT_STREQ(s.Str_1_Loc, "DHRYSTONE PROGRAM, 1'ST STRING");
  EXPECT_STREQ(s.Str_2_Loc, "DHRYSTONE PROGRAM, 2'ND STRING");

  // Proc_8 with I1 = 3 writes these cells and no other.
  EXPECT_EQ((std::array{s.Arr_1_Glob[8], s.Arr_1_Glob[9], s.Arr_1_Glob[38]}),
            (std::array{7, 7, 8}));
  EXPECT_EQ((std::array{s.Arr_2_Glob[8][7], s.Arr_2_Glob[8][8], s.Arr_2_Glob[8][9],
                        s.Arr_2_Glob[28][8]}),
            (std::array{passes + 10, 8, 8, 7}));
  EXPECT_EQ(std::count(s.Arr_1_Glob, s.Arr_1_Glob + 100, 0), 100 - 3);
  EXPECT_EQ(std::count(&s.Arr_2_Glob[0][0], &s.Arr_2_Glob[0][0] + 100 * 100, 0), 100 * 100 - 4);
}

TEST(DhrystoneKernel, FinalValuesAfterPasses) {
  for (const std::int32_t passes : {1, 2, 3, 100, 5000}) {
    SCOPED_TRACE(passes);
    ExpectFinalValues(*StateAfter(passes), passes);
  }
}

TEST(DhrystoneKernel, NoPassBelowOneAndThePassCounterCellWraps) {
  for (const std::int32_t passes : {0, -1, std::numeric_limits<std::int32_t>::min()}) {
    EXPECT_EQ(DhrystoneKernel().Run(passes), passes);
    // The state stays as initialised: no record was copied, no cell but [8][7] is set.
    const auto s = StateAfter(passes);
    EXPECT_EQ((std::array{s->Arr_2_Glob[8][7], s->Arr_1_Glob[8], s->Glob_Record.Int_Comp,
                          s->Next_Record.Int_Comp, std::int32_t{s->Str_2_Loc[0]}}),
              (std::array{10, 0, 40, 0, 0}))
        << passes;
  }
  auto state = std::make_unique<DhrystoneState>();
  DhrystoneKernel::Initialise(*state);
  state->Arr_2_Glob[8][7] = std::numeric_limits<std::int32_t>::max() - 1;
  DhrystoneKernel::Execute(*state, 3);
  EXPECT_EQ(state->Arr_2_Glob[8][7], std::numeric_limits<std::int32_t>::min() + 1);
  EXPECT_EQ(state->Int_Glob, 5);
}

TEST(DhrystoneKernel, ManyThreadsAtOnceEndLikeOne) {
  constexpr int kThreads = 128;
  constexpr std::int32_t kPasses = 2000;
  std::vector<std::unique_ptr<DhrystoneState>> states(kThreads);
  std::vector<std::int32_t> results(kThreads, 0);
  std::latch start(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      start.arrive_and_wait();
      results[t] = DhrystoneKernel().Run(kPasses);
      states[t] = StateAfter(kPasses);
    });
  }
  for (auto& thread : threads) thread.join();
  for (int t = 0; t < kThreads; ++t) {
    SCOPED_TRACE(t);
    EXPECT_EQ(results[t], kPasses);
    ExpectFinalValues(*states[t], kPasses);
  }
}

}  // namespace
}  // namespace quorvane

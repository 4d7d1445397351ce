// Tests of the Dhrystone 2.1 kernel: the published final values after any number of passes,
// the cells Proc_8 touches, wrapping of the pass counter cell, and many threads at once.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <latch>
#include <limits>
#include <memory>
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

// Every entry of both arrays other than the ones Proc_8 writes with I1 = 3 stays zero.
void ExpectUntouchedCellsZero(const DhrystoneState& s) {
  for (int i = 0; i < 100; ++i) {
    if (i != 8 && i != 9 && i != 38) {
      EXPECT_EQ(s.Arr_1_Glob[i], 0) << "Arr_1_Glob[" << i << "]";
    }
    for (int j = 0; j < 100; ++j) {
      const bool written = (i == 8 && (j == 7 || j == 8 || j == 9)) || (i == 28 && j == 8);
      if (!written) {
        EXPECT_EQ(s.Arr_2_Glob[i][j], 0) << "Arr_2_Glob[" << i << "][" << j << "]";
      }
    }
  }
}

// The final values of the published benchmark after `passes` >= 1 passes.
void ExpectFinalValues(const DhrystoneState& s, std::int32_t passes) {
  EXPECT_EQ(s.Int_Glob, 5);
  EXPECT_TRUE(s.Bool_Glob);
  EXPECT_EQ(s.Ch_1_Glob, 'A');
  EXPECT_EQ(s.Ch_2_Glob, 'B');
  EXPECT_EQ(s.Arr_1_Glob[8], 7);
  EXPECT_EQ(s.Arr_2_Glob[8][7], passes + 10);

  EXPECT_EQ(s.Glob_Record.Ptr_Comp, &s.Next_Record);
  EXPECT_EQ(s.Glob_Record.Discr, Enumeration::Ident_1);
  EXPECT_EQ(s.Glob_Record.Enum_Comp, Enumeration::Ident_3);
  EXPECT_EQ(s.Glob_Record.Int_Comp, 17);
  EXPECT_STREQ(s.Glob_Record.Str_Comp, kSomeString);

  EXPECT_EQ(s.Next_Record.Ptr_Comp, s.Glob_Record.Ptr_Comp);
  EXPECT_EQ(s.Next_Record.Discr, Enumeration::Ident_1);
  EXPECT_EQ(s.Next_Record.Enum_Comp, Enumeration::Ident_2);
  EXPECT_EQ(s.Next_Record.Int_Comp, 18);
  EXPECT_STREQ(s.Next_Record.Str_Comp, kSomeString);

  EXPECT_EQ(s.Int_1_Loc, 5);
  EXPECT_EQ(s.Int_2_Loc, 13);
  EXPECT_EQ(s.Int_3_Loc, 7);
  EXPECT_EQ(s.Enum_Loc, Enumeration::Ident_2);
  EXPECT_STREQ(s.Str_1_Loc, "DHRYSTONE PROGRAM, 1'ST STRING");
  EXPECT_STREQ(s.Str_2_Loc, "DHRYSTONE PROGRAM, 2'ND STRING");

  // Proc_8 with I1 = 3: the other cells it writes, and nothing else.
  EXPECT_EQ(s.Arr_1_Glob[9], 7);
  EXPECT_EQ(s.Arr_1_Glob[38], 8);
  EXPECT_EQ(s.Arr_2_Glob[8][8], 8);
  EXPECT_EQ(s.Arr_2_Glob[8][9], 8);
  EXPECT_EQ(s.Arr_2_Glob[28][8], 7);
  ExpectUntouchedCellsZero(s);
}

TEST(DhrystoneKernel, FinalValuesAfterPasses) {
  for (const std::int32_t passes : {1, 2, 3, 100, 5000}) {
    SCOPED_TRACE(passes);
    ExpectFinalValues(*StateAfter(passes), passes);
  }
}

TEST(DhrystoneKernel, NoPassBelowOne) {
  for (const std::int32_t passes : {0, -1, std::numeric_limits<std::int32_t>::min()}) {
    SCOPED_TRACE(passes);
    DhrystoneKernel kernel;
    EXPECT_EQ(kernel.Run(passes), passes);

    // The state stays as initialised: no record was copied, no cell but [8][7] is set.
    const auto state = StateAfter(passes);
    EXPECT_EQ(state->Arr_2_Glob[8][7], 10);
    EXPECT_EQ(state->Arr_1_Glob[8], 0);
    EXPECT_EQ(state->Glob_Record.Int_Comp, 40);
    EXPECT_EQ(state->Glob_Record.Enum_Comp, Enumeration::Ident_3);
    EXPECT_EQ(state->Next_Record.Int_Comp, 0);
    EXPECT_STREQ(state->Next_Record.Str_Comp, "");
    EXPECT_STREQ(state->Str_2_Loc, "");
  }
}

TEST(DhrystoneKernel, PassCounterCellWrapsAround) {
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
  const auto reference = StateAfter(kPasses);

  std::vector<std::unique_ptr<DhrystoneState>> states(kThreads);
  std::vector<std::int32_t> results(kThreads, 0);
  for (auto& state : states) {
    state = std::make_unique<DhrystoneState>();
  }
  std::latch start(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      start.arrive_and_wait();
      DhrystoneKernel kernel;
      results[t] = kernel.Run(kPasses);
      DhrystoneKernel::Initialise(*states[t]);
      DhrystoneKernel::Execute(*states[t], kPasses);
    });
  }
  for (auto& thread : threads) {
    thread.join();
  }

  for (int t = 0; t < kThreads; ++t) {
    SCOPED_TRACE(t);
    EXPECT_EQ(results[t], kPasses);
    ExpectFinalValues(*states[t], kPasses);
    EXPECT_EQ(
        std::memcmp(states[t]->Arr_2_Glob, reference->Arr_2_Glob, sizeof reference->Arr_2_Glob), 0);
    EXPECT_EQ(
        std::memcmp(states[t]->Arr_1_Glob, reference->Arr_1_Glob, sizeof reference->Arr_1_Glob), 0);
  }
}

}  // namespace
}  // namespace quorvane

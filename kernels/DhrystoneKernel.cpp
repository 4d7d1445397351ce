// The Dhrystone 2.1 main loop with Proc_1 to Proc_5. The other routines are in
// DhrystoneProcs.cpp so that they stay real calls.
#include "kernels/DhrystoneKernel.h"

#include <cstring>

#include "kernels/DhrystoneProcs_internal.h"
#include "kernels/KeepAlive.h"

namespace quorvane {

using dhrystone::Enumeration;
using dhrystone::Func_1;
using dhrystone::Func_2;
using dhrystone::Proc_6;
using dhrystone::Proc_7;
using dhrystone::Proc_8;
using dhrystone::Rec_Type;

namespace {

void Proc_3(Rec_Type*& Ptr_Ref_Par, Rec_Type* Ptr_Glob, std::int32_t& Int_Glob) {
  if (Ptr_Glob != nullptr) {
    Ptr_Ref_Par = Ptr_Glob->Ptr_Comp;
  }
  Proc_7(10, Int_Glob, Ptr_Glob->Int_Comp);
}

void Proc_1(Rec_Type* Ptr_Val_Par, Rec_Type* Ptr_Glob, std::int32_t& Int_Glob) {
  Rec_Type* const Next_Record = Ptr_Val_Par->Ptr_Comp;
  *Ptr_Val_Par->Ptr_Comp = *Ptr_Glob;
  Ptr_Val_Par->Int_Comp = 5;
  Next_Record->Int_Comp = Ptr_Val_Par->Int_Comp;
  Next_Record->Ptr_Comp = Ptr_Val_Par->Ptr_Comp;
  Proc_3(Next_Record->Ptr_Comp, Ptr_Glob, Int_Glob);
  if (Next_Record->Discr == Enumeration::Ident_1) {
    Next_Record->Int_Comp = 6;
    Proc_6(Ptr_Val_Par->Enum_Comp, Next_Record->Enum_Comp, Int_Glob);
    Next_Record->Ptr_Comp = Ptr_Glob->Ptr_Comp;
    Proc_7(Next_Record->Int_Comp, 10, Next_Record->Int_Comp);
  } else {
    *Ptr_Val_Par = *Ptr_Val_Par->Ptr_Comp;
  }
}

void Proc_2(std::int32_t& Int_Par_Ref, const char& Ch_1_Glob, const std::int32_t& Int_Glob) {
  std::int32_t Int_Loc = Int_Par_Ref + 10;
  // Ch_1_Glob is always 'A' here, so the body runs once. Enum_Loc starts as Ident_1 so that the
  // loop would end even if it were not: a C++ loop that never ends without doing anything is
  // undefined, and the optimiser would drop the test of Ch_1_Glob on that ground.
  Enumeration Enum_Loc = Enumeration::Ident_1;
  do {
    if (Ch_1_Glob == 'A') {
      Int_Loc -= 1;
      Int_Par_Ref = Int_Loc - Int_Glob;
      Enum_Loc = Enumeration::Ident_1;
    }
  } while (Enum_Loc != Enumeration::Ident_1);
}

void Proc_4(bool& Bool_Glob, const char& Ch_1_Glob, char& Ch_2_Glob) {
  const bool Bool_Loc = Ch_1_Glob == 'A';
  Bool_Glob = Bool_Loc || Bool_Glob;
  Ch_2_Glob = 'B';
}

void Proc_5(bool& Bool_Glob, char& Ch_1_Glob) {
  Ch_1_Glob = 'A';
  Bool_Glob = false;
}

}  // namespace

std::int32_t DhrystoneKernel::Run(std::int32_t passes) {
  Initialise(state_);
  Execute(state_, passes);
  KeepMemory(&state_);  // the final values count as read
  return passes;
}

void DhrystoneKernel::Initialise(DhrystoneState& state) {
  state = DhrystoneState{};
  Rec_Type& glob = state.Glob_Record;
  glob.Ptr_Comp = &state.Next_Record;
  glob.Discr = Enumeration::Ident_1;
  glob.Enum_Comp = Enumeration::Ident_3;
  glob.Int_Comp = 40;
  std::strcpy(glob.Str_Comp, "DHRYSTONE PROGRAM, SOME STRING");
  std::strcpy(state.Str_1_Loc, "DHRYSTONE PROGRAM, 1'ST STRING");
  state.Arr_2_Glob[8][7] = 10;
}

void DhrystoneKernel::Execute(DhrystoneState& state, std::int32_t passes) {
  Rec_Type* const Ptr_Glob = &state.Glob_Record;
  std::int32_t Int_1_Loc = state.Int_1_Loc;
  std::int32_t Int_2_Loc = state.Int_2_Loc;
  std::int32_t Int_3_Loc = state.Int_3_Loc;
  Enumeration Enum_Loc = state.Enum_Loc;

  // A 64-bit index, so that passes == INT32_MAX ends without overflow.
  for (std::int64_t index = 1; index <= passes; ++index) {
    const auto Run_Index = static_cast<std::int32_t>(index);
    Proc_5(state.Bool_Glob, state.Ch_1_Glob);
    Proc_4(state.Bool_Glob, state.Ch_1_Glob, state.Ch_2_Glob);
    Int_1_Loc = 2;
    Int_2_Loc = 3;
    std::strcpy(state.Str_2_Loc, "DHRYSTONE PROGRAM, 2'ND STRING");
    Enum_Loc = Enumeration::Ident_2;
    state.Bool_Glob = !Func_2(state.Str_1_Loc, state.Str_2_Loc, state.Ch_1_Glob, state.Int_Glob);
    while (Int_1_Loc < Int_2_Loc) {
      Int_3_Loc = 5 * Int_1_Loc - Int_2_Loc;
      Proc_7(Int_1_Loc, Int_2_Loc, Int_3_Loc);
      Int_1_Loc += 1;
    }
    Proc_8(state.Arr_1_Glob, state.Arr_2_Glob, Int_1_Loc, Int_3_Loc, state.Int_Glob);
    Proc_1(Ptr_Glob, Ptr_Glob, state.Int_Glob);
    for (char Ch_Index = 'A'; Ch_Index <= state.Ch_2_Glob; ++Ch_Index) {
      if (Enum_Loc == Func_1(Ch_Index, 'C', state.Ch_1_Glob)) {
        Proc_6(Enumeration::Ident_1, Enum_Loc, state.Int_Glob);
        std::strcpy(state.Str_2_Loc, "DHRYSTONE PROGRAM, 3'RD STRING");
        Int_2_Loc = Run_Index;
        state.Int_Glob = Run_Index;
      }
    }
    Int_2_Loc = Int_2_Loc * Int_1_Loc;
    Int_1_Loc = Int_2_Loc / Int_3_Loc;
    Int_2_Loc = 7 * (Int_2_Loc - Int_3_Loc) - Int_1_Loc;
    Proc_2(Int_1_Loc, state.Ch_1_Glob, state.Int_Glob);
    // The locals count as read after every pass (the published program reads them after the
    // last one); otherwise the optimiser would move the statements that only feed their final
    // values, step 8 and Proc_2, out of the loop.
    KeepValue(Int_1_Loc);
    KeepValue(Int_2_Loc);
    KeepValue(Int_3_Loc);
  }

  state.Int_1_Loc = Int_1_Loc;
  state.Int_2_Loc = Int_2_Loc;
  state.Int_3_Loc = Int_3_Loc;
  state.Enum_Loc = Enum_Loc;
}

}  // namespace quorvane

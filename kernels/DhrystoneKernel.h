// The Dhrystone 2.1 workload: passes of the published main loop over state that belongs to one
// call, so any number of threads run it at once. It does no timing, printing or checking, and
// allocates nothing.
#pragma once

#include <cstdint>

namespace quorvane {

namespace dhrystone {

enum class Enumeration : std::int32_t {
  Ident_1 = 0,
  Ident_2 = 1,
  Ident_3 = 2,
  Ident_4 = 3,
  Ident_5 = 4
};

using Str_30 = char[31];  // at most 30 characters and the NUL
using Arr_1_Dim = std::int32_t[100];
using Arr_2_Dim = std::int32_t[100][100];

// The record of Dhrystone 2.1 in its first variant (the discriminant is always Ident_1).
struct Rec_Type {
  Rec_Type* Ptr_Comp;
  Enumeration Discr;
  Enumeration Enum_Comp;
  std::int32_t Int_Comp;
  Str_30 Str_Comp;
};

}  // namespace dhrystone

// Everything one call works on: what the published program keeps in globals, and the main
// loop's locals as they stand after the last pass. Glob_Record.Ptr_Comp points at Next_Record of
// the same object, so the object must stay where Initialise put it.
struct DhrystoneState {
  dhrystone::Rec_Type Glob_Record;  // designated by Ptr_Glob
  dhrystone::Rec_Type Next_Record;  // designated by Next_Ptr_Glob
  std::int32_t Int_Glob;
  bool Bool_Glob;
  char Ch_1_Glob;
  char Ch_2_Glob;
  dhrystone::Arr_1_Dim Arr_1_Glob;
  dhrystone::Arr_2_Dim Arr_2_Glob;

  dhrystone::Str_30 Str_1_Loc;
  dhrystone::Str_30 Str_2_Loc;
  std::int32_t Int_1_Loc;
  std::int32_t Int_2_Loc;
  std::int32_t Int_3_Loc;
  dhrystone::Enumeration Enum_Loc;
};

class DhrystoneKernel {
 public:
  // Runs `passes` passes (none when below 1) on a fresh state held by this object; returns
  // `passes`. The state stays readable until the next Run.
  std::int32_t Run(std::int32_t passes);

  // The state after the last Run.
  const DhrystoneState& lastState() const { return state_; }

  // Sets the state to its value before the first pass: arrays zeroed, Arr_2_Glob[8][7] = 10,
  // the Glob record and Str_1_Loc filled in; every other field zero.
  static void Initialise(DhrystoneState& state);

  // Runs `passes` passes of the main loop (none when below 1) on an initialised state.
  static void Execute(DhrystoneState& state, std::int32_t passes);

 private:
  DhrystoneState state_{};
};

}  // namespace quorvane

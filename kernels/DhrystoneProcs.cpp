// Proc_6 to Proc_8 and Func_1 to Func_3 of Dhrystone 2.1. Kept in a file of their own (and built
// without link-time optimisation) so the main loop cannot inline them.
#include "kernels/DhrystoneProcs_internal.h"

#include <cstring>

#include "kernels/Wrapping_internal.h"

namespace quorvane::dhrystone {

void Proc_6(Enumeration Enum_Val_Par, Enumeration& Enum_Ref_Par, const std::int32_t& Int_Glob) {
  Enum_Ref_Par = Enum_Val_Par;
  if (!Func_3(Enum_Val_Par)) {
    Enum_Ref_Par = Enumeration::Ident_4;
  }
  switch (Enum_Val_Par) {
    case Enumeration::Ident_1:
      Enum_Ref_Par = Enumeration::Ident_1;
      break;
    case Enumeration::Ident_2:
      if (Int_Glob > 100) {
        Enum_Ref_Par = Enumeration::Ident_1;
      } else {
        Enum_Ref_Par = Enumeration::Ident_4;
      }
      break;
    case Enumeration::Ident_3:
      Enum_Ref_Par = Enumeration::Ident_2;
      break;
    case Enumeration::Ident_4:
      break;
    case Enumeration::Ident_5:
      Enum_Ref_Par = Enumeration::Ident_3;
      break;
  }
}

void Proc_7(std::int32_t Int_1_Par_Val, std::int32_t Int_2_Par_Val, std::int32_t& Int_Par_Ref) {
  const std::int32_t Int_Loc = Int_1_Par_Val + 2;
  Int_Par_Ref = Int_2_Par_Val + Int_Loc;
}

void Proc_8(Arr_1_Dim& Arr_1_Par_Ref, Arr_2_Dim& Arr_2_Par_Ref, std::int32_t Int_1_Par_Val,
            std::int32_t Int_2_Par_Val, std::int32_t& Int_Glob) {
  const std::int32_t Int_Loc = Int_1_Par_Val + 5;
  Arr_1_Par_Ref[Int_Loc] = Int_2_Par_Val;
  Arr_1_Par_Ref[Int_Loc + 1] = Arr_1_Par_Ref[Int_Loc];
  Arr_1_Par_Ref[Int_Loc + 30] = Int_Loc;
  for (std::int32_t Int_Index = Int_Loc; Int_Index <= Int_Loc + 1; ++Int_Index) {
    Arr_2_Par_Ref[Int_Loc][Int_Index] = Int_Loc;
  }
  // Counts the passes: on a long enough run it wraps around.
  Arr_2_Par_Ref[Int_Loc][Int_Loc - 1] = WrapAdd32(Arr_2_Par_Ref[Int_Loc][Int_Loc - 1], 1);
  Arr_2_Par_Ref[Int_Loc + 20][Int_Loc] = Arr_1_Par_Ref[Int_Loc];
  Int_Glob = 5;
}

Enumeration Func_1(char Ch_1_Par_Val, char Ch_2_Par_Val, char& Ch_1_Glob) {
  const char Ch_1_Loc = Ch_1_Par_Val;
  const char Ch_2_Loc = Ch_1_Loc;
  if (Ch_2_Loc != Ch_2_Par_Val) {
    return Enumeration::Ident_1;
  }
  Ch_1_Glob = Ch_1_Loc;
  return Enumeration::Ident_2;
}

bool Func_2(const Str_30& Str_1_Par_Ref, const Str_30& Str_2_Par_Ref, char& Ch_1_Glob,
            std::int32_t& Int_Glob) {
  std::int32_t Int_Loc = 2;
  char Ch_Loc = ' ';
  while (Int_Loc <= 2) {
    if (Func_1(Str_1_Par_Ref[Int_Loc], Str_2_Par_Ref[Int_Loc + 1], Ch_1_Glob) ==
        Enumeration::Ident_1) {
      Ch_Loc = 'A';
      Int_Loc += 1;
    }
  }
  if (Ch_Loc >= 'W' && Ch_Loc < 'Z') {
    Int_Loc = 7;
  }
  if (Ch_Loc == 'R') {
    return true;
  }
  if (std::strcmp(Str_1_Par_Ref, Str_2_Par_Ref) > 0) {
    Int_Loc += 7;
    Int_Glob = Int_Loc;
    return true;
  }
  return false;
}

bool Func_3(Enumeration Enum_Par_Val) {
  const Enumeration Enum_Loc = Enum_Par_Val;
  return Enum_Loc == Enumeration::Ident_3;
}

}  // namespace quorvane::dhrystone

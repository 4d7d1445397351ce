// The Dhrystone 2.1 routines that live apart from the main loop, in their own source file, so
// that every call of them in a pass is a real call. Only the Dhrystone kernel uses them; each
// takes its published parameters followed by the parts of the per-call state it reaches.
#pragma once

#include <cstdint>

#include "kernels/DhrystoneKernel.h"

namespace quorvane::dhrystone {

void Proc_6(Enumeration Enum_Val_Par, Enumeration& Enum_Ref_Par, const std::int32_t& Int_Glob);

void Proc_7(std::int32_t Int_1_Par_Val, std::int32_t Int_2_Par_Val, std::int32_t& Int_Par_Ref);

void Proc_8(Arr_1_Dim& Arr_1_Par_Ref, Arr_2_Dim& Arr_2_Par_Ref, std::int32_t Int_1_Par_Val,
            std::int32_t Int_2_Par_Val, std::int32_t& Int_Glob);

Enumeration Func_1(char Ch_1_Par_Val, char Ch_2_Par_Val, char& Ch_1_Glob);

bool Func_2(const Str_30& Str_1_Par_Ref, const Str_30& Str_2_Par_Ref, char& Ch_1_Glob,
            std::int32_t& Int_Glob);

bool Func_3(Enumeration Enum_Par_Val);

}  // namespace quorvane::dhrystone

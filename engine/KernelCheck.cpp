#include "engine/KernelCheck.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace quorvane {

namespace {

// Packs values into an outcome's bits in order; doubles by their bit pattern.
class BitsWriter {
 public:
  explicit BitsWriter(KernelOutcome& outcome) : outcome_(outcome) {}
  BitsWriter& operator<<(double value) { return Put(std::bit_cast<std::uint64_t>(value)); }
  BitsWriter& operator<<(std::int64_t value) { return Put(static_cast<std::uint64_t>(value)); }
  BitsWriter& operator<<(std::int32_t value) { return Put(static_cast<std::uint32_t>(value)); }

 private:
  BitsWriter& Put(std::uint64_t word) {
    outcome_.bits.at(next_++) = word;
    return *this;
  }
  KernelOutcome& outcome_;
  std::size_t next_ = 0;
};

bool DhrystoneFinalValuesReached(const DhrystoneState& s, std::int32_t passes) {
  using dhrystone::Enumeration;
  if (passes < 1) return true;  // nothing ran
  const bool integers = s.Int_Glob == 5 && s.Glob_Record.Int_Comp == 17 &&
                        s.Next_Record.Int_Comp == 18 && s.Int_1_Loc == 5 && s.Int_2_Loc == 13 &&
                        s.Int_3_Loc == 7 && s.Bool_Glob && s.Ch_1_Glob == 'A' && s.Ch_2_Glob == 'B';
  const bool records =
      s.Glob_Record.Ptr_Comp == &s.Next_Record && s.Next_Record.Ptr_Comp == &s.Next_Record &&
      s.Glob_Record.Discr == Enumeration::Ident_1 &&
      s.Glob_Record.Enum_Comp == Enumeration::Ident_3 &&
      s.Next_Record.Discr == Enumeration::Ident_1 &&
      s.Next_Record.Enum_Comp == Enumeration::Ident_2 && s.Enum_Loc == Enumeration::Ident_2;
  constexpr const char* kSomeString = "DHRYSTONE PROGRAM, SOME STRING";
  const bool strings = std::strcmp(s.Glob_Record.Str_Comp, kSomeString) == 0 &&
                       std::strcmp(s.Next_Record.Str_Comp, kSomeString) == 0 &&
                       std::strcmp(s.Str_1_Loc, "DHRYSTONE PROGRAM, 1'ST STRING") == 0 &&
                       std::strcmp(s.Str_2_Loc, "DHRYSTONE PROGRAM, 2'ND STRING") == 0;
  // Proc_8 writes these cells and no other; [8][7] counts the passes from 10.
  const bool arrays =
      s.Arr_1_Glob[8] == 7 && s.Arr_1_Glob[9] == 7 && s.Arr_1_Glob[38] == 8 &&
      s.Arr_2_Glob[8][7] == static_cast<std::int32_t>(static_cast<std::uint32_t>(passes) + 10u) &&
      s.Arr_2_Glob[8][8] == 8 && s.Arr_2_Glob[8][9] == 8 && s.Arr_2_Glob[28][8] == 7 &&
      std::count(s.Arr_1_Glob, s.Arr_1_Glob + 100, 0) == 100 - 3 &&
      std::count(&s.Arr_2_Glob[0][0], &s.Arr_2_Glob[0][0] + 100 * 100, 0) == 100 * 100 - 4;
  return integers && records && strings && arrays;
}

}  // namespace

KernelOutcome OutcomeOf(const DhrystoneKernel& kernel, std::int32_t passes) {
  KernelOutcome outcome;
  outcome.knownValuesMissed = !DhrystoneFinalValuesReached(kernel.lastState(), passes);
  return outcome;
}

KernelOutcome OutcomeOf(const WhetstoneKernel& k, std::int32_t /*passes*/) {
  KernelOutcome outcome;
  BitsWriter bits(outcome);
  bits << k.X1 << k.X2 << k.X3 << k.X4 << k.X << k.Y << k.Z << k.E1[1] << k.E1[2] << k.E1[3]
       << k.E1[4] << k.I << k.J << k.K << k.L;
  const WhetstoneKernel::ModuleResults& m = k.moduleResults;
  for (const auto* E1 : {&m.E1AfterModule2, &m.E1AfterModule3, &m.E1AfterModule6}) {
    bits << (*E1)[1] << (*E1)[2] << (*E1)[3] << (*E1)[4];
  }
  bits << m.JAfterModule4 << m.JAfterModule6 << m.KAfterModule6 << m.LAfterModule6
       << m.XAfterModule7 << m.YAfterModule7 << m.XAfterModule8 << m.JAfterModule9
       << m.KAfterModule9 << m.LAfterModule9;
  return outcome;
}

KernelOutcome OutcomeOf(const QueensKernel& kernel, std::int32_t passes) {
  KernelOutcome outcome;
  if (passes < 1) return outcome;
  // The same search with a probe that counts, run once here: it must find 92 solutions and end
  // in the state the timed kernel ended in.
  BasicQueensKernel<QueensCountingProbe> reference;
  reference.Run(1);
  outcome.knownValuesMissed = reference.probe().completePlacements.size() != 92 ||
                              kernel.ColumnFree() != reference.ColumnFree() ||
                              kernel.SumDiagonalFree() != reference.SumDiagonalFree() ||
                              kernel.DiffDiagonalFree() != reference.DiffDiagonalFree() ||
                              kernel.QueenColumn() != reference.QueenColumn();
  return outcome;
}

KernelOutcome OutcomeOf(const MatrixKernel& kernel, std::int32_t /*passes*/) {
  KernelOutcome outcome;
  const std::int32_t* R = kernel.result();
  outcome.knownValuesMissed = R == nullptr || std::any_of(R, R + MatrixKernel::kSizeR,
                                                          [](std::int32_t v) { return v != 0; });
  return outcome;
}

KernelOutcome OutcomeOf(const NumberCrunchKernel& kernel, std::int32_t passes) {
  KernelOutcome outcome;
  const NumberCrunchState& s = kernel.lastState();
  if (passes >= 1) {
    outcome.knownValuesMissed = (s.i | s.j | s.k | s.r) != 0 || (s.p | s.q | s.t) != 0;
  }
  BitsWriter(outcome) << s.x << s.y << s.z;
  return outcome;
}

KernelOutcome OutcomeOf(const FloatingPointKernel& kernel, std::int32_t /*passes*/) {
  KernelOutcome outcome;
  const FloatingPointState& s = kernel.lastState();
  BitsWriter(outcome) << s.A << s.B << s.H << s.D << s.E << s.F << s.G << s.K << s.n
                      << static_cast<std::int64_t>(s.generator.state);
  return outcome;
}

KernelOutcome OutcomeOf(const MemoryKernel& /*kernel*/, std::int32_t /*passes*/) { return {}; }

}  // namespace quorvane

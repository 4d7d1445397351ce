// The number crunch chain. Operand widths are part of the measured work: 32-bit division and
// remainder where both operands are 32-bit, 64-bit as soon as one of them is 64-bit.
#include "kernels/NumberCrunchKernel.h"

#include "kernels/KeepAlive.h"
#include "kernels/Wrapping_internal.h"
#include "numeric/Conversions.h"

namespace quorvane {

namespace {

// One execution of the chain, inlined into Run so that the state stays in registers.
QUORVANE_ALWAYS_INLINE void ExecuteChain(NumberCrunchState& s) {
  using R = double;  // real(n)
  // 1: 32-bit remainder of two truncations
  s.r = TruncToInt32Low(s.x) % TruncToInt32Low(s.y + 1.0);
  // 2
  s.y = R(s.i) * s.x;
  // 3: 64-bit division
  s.z = R(s.q / WrapAdd64(s.p, 1));  // NOLINT(bugprone-integer-division): the stated step
  // 4: 32-bit remainder
  s.i = s.j % WrapAdd32(s.k, 1);
  // 5
  s.x = R(s.r) * R(s.i) / R(WrapAdd32(s.k, 1)) / R(WrapAdd32(s.i, 1));
  // 6: 32-bit remainder, sign-extended
  s.p = std::int64_t{TruncToInt32Low(s.z) % TruncToInt32Low(s.x + 1.0)};
  // 7
  s.x = s.y * s.z;
  // 8: 64-bit remainder
  s.t = std::int64_t{s.r} %
        WrapAdd64(WrapAdd64(WrapSub64(WrapSub64(TruncToInt64(s.z), s.i), s.r), s.q), 1);
  // 9: 64-bit division
  s.y = R(std::int64_t{s.r} / WrapAdd64(s.t, 1));  // NOLINT(bugprone-integer-division): likewise
  // 10: 32-bit division, product and remainder
  s.j = WrapMul32(s.j / WrapAdd32(s.i, 1), s.k) % WrapAdd32(s.i, 1);
  // 11: 64-bit division by a 32-bit sum
  s.q = TruncToInt64(s.y * s.x) / std::int64_t{WrapAdd32(s.j, 1)};
  // 12
  s.y = s.y / (s.y + 1.0);
  // 13: 32-bit division and product
  s.k = WrapMul32(s.i / WrapAdd32(s.r, 1), s.j);
  // 14
  s.z = R(s.j) * R(s.i) / R(WrapAdd32(s.k, 1)) / R(WrapAdd64(s.q, 1));
  // 15: 64-bit
  s.q = WrapAdd64(WrapSub64(WrapSub64(TruncToInt64(s.z), s.j), s.r), s.p);
  // 16: 64-bit remainder
  s.p = s.q % WrapAdd64(s.p, 1);
}

}  // namespace

std::int32_t NumberCrunchKernel::Run(std::int32_t passes) {
  NumberCrunchState state;
  for (std::int32_t repetition = 0; repetition < kExecutionsPerPass; ++repetition) {
    for (std::int32_t pass = 0; pass < passes; ++pass) {
      ExecuteChain(state);
    }
  }
  last_ = state;  // a copy of a few words once the chain is done; it stays in registers until then
  return Summarise(state);
}

void NumberCrunchKernel::Execute(NumberCrunchState& s) { ExecuteChain(s); }

std::int32_t NumberCrunchKernel::Summarise(const NumberCrunchState& s) {
  const std::int64_t integers = s.i ^ s.j ^ s.k ^ s.r ^ s.p ^ s.q ^ s.t;
  return Low32Signed(integers ^ TruncToInt64(s.x) ^ TruncToInt64(s.y) ^ TruncToInt64(s.z));
}

}  // namespace quorvane

// The floating point chain. Results that the chain throws away still pass through KeepValue,
// so the calls that produce them are made in every pass.
#include "kernels/FloatingPointKernel.h"

#include <math.h>  // j0, j1, jn (POSIX)

#include <bit>
#include <cmath>

#include "kernels/KeepAlive.h"
#include "kernels/Wrapping_internal.h"
#include "numeric/Conversions.h"

namespace quorvane {

namespace {

// One pass of the chain, inlined into Run so that the state stays in local variables.
QUORVANE_ALWAYS_INLINE void ExecuteChain(FloatingPointState& s) {
  // Steps 1 and 2: results thrown away.
  KeepValue(std::atan2(std::fabs(s.B), std::fabs(s.A)));
  KeepValue(::j0(s.D));
  // Steps 3 to 5.
  s.E = ::j1(s.D);
  s.n = FloatingPointKernel::BesselOrder(s.H);
  s.A = ::jn(s.n, s.D);
  s.G = std::sin(s.B);
  // Step 6: result thrown away.
  KeepValue(std::cos(s.A));
  // Step 7: K := trunc32(G), then frexp stores A's exponent into K (nothing reads either).
  s.K = TruncToInt32Low(s.G);
  KeepValue(s.K);
  int exponent = s.K;
  s.A = std::frexp(s.A, &exponent);
  s.K = exponent;
  // Steps 8 to 16.
  s.F = std::log10(std::fabs(s.A));
  s.E = FloatingPointKernel::RotatedTruncation(s.E);
  s.B = FloatingPointKernel::LargerOrSecond(s.E, s.A);
  s.E = std::sqrt(std::fabs(s.B));
  s.A = std::pow(s.E, s.F);
  s.F = FloatingPointKernel::SmallerMagnitude(s.A, s.F);
  s.F = std::tanh(s.F);
  s.H = std::tan(std::fabs(s.F));
  s.D = static_cast<double>(s.generator.Next());
}

}  // namespace

std::int32_t FloatingPointKernel::Run(std::int32_t passes) {
  FloatingPointState state;
  for (std::int32_t pass = 0; pass < passes; ++pass) {
    ExecuteChain(state);
  }
  last_ = state;  // a copy of a few words once the chain is done; it stays in registers until then
  return Summarise(state);
}

void FloatingPointKernel::ExecutePass(FloatingPointState& s) { ExecuteChain(s); }

std::int32_t FloatingPointKernel::Summarise(const FloatingPointState& s) {
  const double sum = s.A + s.B + s.D + s.E + s.F + s.G + s.H;
  return TruncToInt32Low(sum) ^ s.K ^ s.n ^ static_cast<std::int32_t>(s.generator.state);
}

std::int32_t FloatingPointKernel::BesselOrder(double H) {
  const std::int32_t truncated = TruncToInt32Low(H);
  const std::int32_t magnitude = truncated < 0 ? WrapSub32(0, truncated) : truncated;
  return WrapAdd32(magnitude, 1);
}

double FloatingPointKernel::RotatedTruncation(double E) {
  return static_cast<double>(std::rotl(Low32(TruncToInt64(E)), 1));
}

double FloatingPointKernel::LargerOrSecond(double E, double A) { return E > A ? E : A; }

double FloatingPointKernel::SmallerMagnitude(double A, double F) {
  return std::fabs(A) > std::fabs(F) ? std::fabs(F) : std::fabs(A);
}

}  // namespace quorvane

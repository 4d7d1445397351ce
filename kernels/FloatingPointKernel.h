// The mathematical-library workload: a chain of double-precision library calls, conversions,
// a bit rotation and pseudo-random numbers, executed once per pass on state carried from pass to
// pass. Every library call is made in every pass, also those whose result is thrown away.
#pragma once

#include <cstdint>

#include "kernels/PseudoRandom.h"

namespace quorvane {

// The chain's state, with the values it starts from in every Run call. n is the order of the
// Bessel function of the last pass.
struct FloatingPointState {
  double A = 40.0;
  double B = 911.0;
  double H = 328.0;
  double D = -550.0;
  double E = 0.0;
  double F = 0.0;
  double G = 0.0;
  std::int32_t K = 0;
  std::int32_t n = 0;
  PseudoRandom generator;
};

class FloatingPointKernel {
 public:
  // Executes the chain `passes` times (never when below 1) from the initial state, with a
  // generator of its own starting at 1; returns Summarise of the final state, which stays
  // readable until the next Run.
  std::int32_t Run(std::int32_t passes);

  // The final state of the last Run.
  const FloatingPointState& lastState() const { return last_; }

  // One pass of the chain (steps 1 to 16).
  static void ExecutePass(FloatingPointState& s);

  // A value computed from the state; what Run returns.
  static std::int32_t Summarise(const FloatingPointState& s);

  // Step 4's order: |trunc32(H)| + 1, wrapping at 32 bits.
  static std::int32_t BesselOrder(double H);
  // Step 9: trunc32(E) rotated left by one bit, read as unsigned; 0.0 for NaN or infinity.
  static double RotatedTruncation(double E);
  // Step 10: E if E > A, otherwise A (also when either is NaN).
  static double LargerOrSecond(double E, double A);
  // Step 13: |F| if |A| > |F|, otherwise |A| (also on a tie or when either is NaN).
  static double SmallerMagnitude(double A, double F);

 private:
  FloatingPointState last_{};
};

}  // namespace quorvane

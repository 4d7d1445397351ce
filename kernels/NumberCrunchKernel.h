// The mixed-arithmetic workload: a chain of 16 statements of 32-bit and 64-bit integer division
// and remainder, double multiplication and division, and conversions both ways, executed
// 5 x passes times on state carried from one execution to the next. Allocates nothing.
#pragma once

#include <cstdint>

namespace quorvane {

// The chain's state, with the values it starts from in every Run call.
struct NumberCrunchState {
  double x = 911.0;
  double y = 550.0;
  double z = 0.0;
  std::int32_t i = 1000;
  std::int32_t j = 500;
  std::int32_t k = 800;
  std::int32_t r = 0;
  std::int64_t p = 50;
  std::int64_t q = 600;
  std::int64_t t = 0;
};

class NumberCrunchKernel {
 public:
  static constexpr std::int32_t kExecutionsPerPass = 5;

  // Executes the chain 5 x passes times (never when passes is below 1) from the initial state;
  // returns Summarise of the final state, which stays readable until the next Run.
  std::int32_t Run(std::int32_t passes);

  // The final state of the last Run.
  const NumberCrunchState& lastState() const { return last_; }

  // One execution of the chain. Every integer divisor it meets must be non-zero (true on the
  // whole path from the initial state).
  static void Execute(NumberCrunchState& s);

  // A value computed from every variable of the state; what Run returns.
  static std::int32_t Summarise(const NumberCrunchState& s);

 private:
  NumberCrunchState last_{};
};

}  // namespace quorvane

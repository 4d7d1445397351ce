// The Whetstone workload in double precision: the ten modules of the published benchmark, run
// once with loop counts scaled by LOOP, on working variables that are members of the object.
// It does no timing, printing or checking, allocates nothing and shares nothing between objects.
#pragma once

#include <array>
#include <cstdint>

#include "kernels/KeepAlive.h"

namespace quorvane {

class WhetstoneKernel {
 public:
  // Prepare(LOOP), then modules 1, 2, 3, 4, 6, 7, 8, 9, 10 and 11 in this order; returns LOOP.
  std::int32_t Run(std::int32_t LOOP);

  // Sets T, T1, T2 and the module loop counts (32-bit products that wrap).
  void Prepare(std::int32_t LOOP);

  // The modules; each needs Prepare first. Module k repeats its statements Nk times.
  void Module1();   // simple identifiers
  void Module2();   // array elements
  void Module3();   // array as parameter (PA)
  void Module4();   // conditional jumps
  void Module6();   // integer arithmetic
  void Module7();   // trigonometric functions
  void Module8();   // procedure calls (P3)
  void Module9();   // array references (P0)
  void Module10();  // integer arithmetic
  void Module11();  // standard functions

  // The working variables, readable by whoever holds the object.
  double X1{}, X2{}, X3{}, X4{};
  double X{}, Y{}, Z{};
  double T{}, T1{}, T2{};
  std::array<double, 5> E1{};  // E1[1] to E1[4]; entry 0 is never used
  std::int32_t I{};
  std::int32_t J{}, K{}, L{};
  std::int32_t N1{}, N2{}, N3{}, N4{}, N6{}, N7{}, N8{}, N9{}, N10{}, N11{};

  // What the modules computed that a later module overwrites, taken as each module ends (after
  // its loop, so the loops stay as they are): the result check covers every module with these
  // and the working variables above.
  struct ModuleResults {
    std::array<double, 5> E1AfterModule2{}, E1AfterModule3{}, E1AfterModule6{};
    std::int32_t JAfterModule4{};
    std::int32_t JAfterModule6{}, KAfterModule6{}, LAfterModule6{};
    double XAfterModule7{}, YAfterModule7{};
    double XAfterModule8{};
    std::int32_t JAfterModule9{}, KAfterModule9{}, LAfterModule9{};
  } moduleResults;

 private:
  // Runs `body` for I = 1 .. count (not at all when count is below 1).
  template <class Body>
  void Repeat(std::int32_t count, Body body);

  QUORVANE_REAL_CALL void PA(double* E);
  QUORVANE_REAL_CALL void P0();
  QUORVANE_REAL_CALL void P3(double x, double y, double& z);
};

}  // namespace quorvane

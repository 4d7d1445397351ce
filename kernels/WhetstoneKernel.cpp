// The Whetstone modules and the procedures PA, P0 and P3. The procedures are real calls: module
// 8 calls P3 with the same arguments every time, and only a call keeps that work in the loop.
#include "kernels/WhetstoneKernel.h"

#include <cmath>

#include "kernels/Wrapping_internal.h"

namespace quorvane {

std::int32_t WhetstoneKernel::Run(std::int32_t LOOP) {
  Prepare(LOOP);
  Module1();
  Module2();
  Module3();
  Module4();
  Module6();
  Module7();
  Module8();
  Module9();
  Module10();
  Module11();
  return LOOP;
}

void WhetstoneKernel::Prepare(std::int32_t LOOP) {
  T = 0.499975;
  T1 = 0.50025;
  T2 = 2.0;
  N1 = 0;
  N2 = WrapMul32(12, LOOP);
  N3 = WrapMul32(14, LOOP);
  N4 = WrapMul32(345, LOOP);
  N6 = WrapMul32(210, LOOP);
  N7 = WrapMul32(32, LOOP);
  N8 = WrapMul32(899, LOOP);
  N9 = WrapMul32(616, LOOP);
  N10 = 0;
  N11 = WrapMul32(93, LOOP);
}

template <class Body>
void WhetstoneKernel::Repeat(std::int32_t count, Body body) {
  if (count < 1) {
    return;
  }
  for (I = 1;; ++I) {
    body();
    if (I == count) {  // tested before the increment, which would overflow at INT32_MAX
      break;
    }
  }
}

void WhetstoneKernel::Module1() {
  X1 = 1.0;
  X2 = -1.0;
  X3 = -1.0;
  X4 = -1.0;
  Repeat(N1, [this] {
    X1 = (X1 + X2 + X3 - X4) * T;
    X2 = (X1 + X2 - X3 + X4) * T;
    X3 = (X1 - X2 + X3 + X4) * T;
    X4 = (-X1 + X2 + X3 + X4) * T;
  });
}

void WhetstoneKernel::Module2() {
  E1[1] = 1.0;
  E1[2] = -1.0;
  E1[3] = -1.0;
  E1[4] = -1.0;
  Repeat(N2, [this] {
    E1[1] = (E1[1] + E1[2] + E1[3] - E1[4]) * T;
    E1[2] = (E1[1] + E1[2] - E1[3] + E1[4]) * T;
    E1[3] = (E1[1] - E1[2] + E1[3] + E1[4]) * T;
    E1[4] = (-E1[1] + E1[2] + E1[3] + E1[4]) * T;
  });
  moduleResults.E1AfterModule2 = E1;
}

void WhetstoneKernel::Module3() {
  Repeat(N3, [this] { PA(E1.data()); });
  moduleResults.E1AfterModule3 = E1;
}

void WhetstoneKernel::Module4() {
  // OpaqueValue after every statement: each of the three conditionals is evaluated on its own,
  // rather than the optimiser merging them into one test of J.
  J = OpaqueValue(1);
  Repeat(N4, [this] {
    if (J == 1) {
      J = 2;
    } else {
      J = 3;
    }
    J = OpaqueValue(J);
    if (J > 2) {
      J = 0;
    } else {
      J = 1;
    }
    J = OpaqueValue(J);
    if (J < 1) {
      J = 1;
    } else {
      J = 0;
    }
    J = OpaqueValue(J);
  });
  moduleResults.JAfterModule4 = J;
}

void WhetstoneKernel::Module6() {
  // (1, 2, 3) is a fixed point of the statements below; with the start values known, the
  // optimiser would compute it once at compile time and drop the arithmetic of every repetition.
  J = OpaqueValue(1);
  K = OpaqueValue(2);
  L = OpaqueValue(3);
  Repeat(N6, [this] {
    J = J * (K - J) * (L - K);
    K = L * K - (L - J) * K;
    L = (L - K) * (K + J);
    E1[L - 1] = J + K + L;
    E1[K - 1] = J * K * L;
  });
  moduleResults.E1AfterModule6 = E1;
  moduleResults.JAfterModule6 = J;
  moduleResults.KAfterModule6 = K;
  moduleResults.LAfterModule6 = L;
}

void WhetstoneKernel::Module7() {
  X = 0.5;
  Y = 0.5;
  // OpaqueValue keeps sin and cos of one angle two calls, as written, rather than one sincos.
  Repeat(N7, [this] {
    X = T * std::atan(T2 * std::sin(X) * std::cos(OpaqueValue(X)) /
                      (std::cos(X + Y) + std::cos(X - Y) - 1.0));
    Y = T * std::atan(T2 * std::sin(Y) * std::cos(OpaqueValue(Y)) /
                      (std::cos(X + Y) + std::cos(X - Y) - 1.0));
  });
  moduleResults.XAfterModule7 = X;
  moduleResults.YAfterModule7 = Y;
}

void WhetstoneKernel::Module8() {
  X = 1.0;
  Y = 1.0;
  Z = 1.0;
  Repeat(N8, [this] { P3(X, Y, Z); });
  moduleResults.XAfterModule8 = X;
}

void WhetstoneKernel::Module9() {
  E1[1] = 1.0;
  E1[2] = 2.0;
  E1[3] = 3.0;
  J = 1;
  K = 2;
  L = 3;
  Repeat(N9, [this] { P0(); });
  moduleResults.JAfterModule9 = J;
  moduleResults.KAfterModule9 = K;
  moduleResults.LAfterModule9 = L;
}

void WhetstoneKernel::Module10() {
  J = 2;
  K = 3;
  Repeat(N10, [this] {
    J = J + K;
    K = J + K;
    J = K - J;
    K = K - J - J;
  });
}

void WhetstoneKernel::Module11() {
  X = 0.75;
  Repeat(N11, [this] { X = std::sqrt(std::exp(std::log(X) / T1)); });
}

void WhetstoneKernel::PA(double* E) {
  for (int round = 0; round < 6; ++round) {
    E[1] = (E[1] + E[2] + E[3] - E[4]) * T;
    E[2] = (E[1] + E[2] - E[3] + E[4]) * T;
    E[3] = (E[1] - E[2] + E[3] + E[4]) * T;
    E[4] = (-E[1] + E[2] + E[3] + E[4]) / T2;
  }
}

void WhetstoneKernel::P0() {
  E1[J] = E1[K];
  E1[K] = E1[L];
  E1[L] = E1[J];
}

void WhetstoneKernel::P3(double x, double y, double& z) {
  x = T * (x + y);
  y = T * (x + y);
  z = (x + y) / T2;
}

}  // namespace quorvane

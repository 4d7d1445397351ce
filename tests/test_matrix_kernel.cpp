// Tests of the matrix kernel: the sums of one and two passes,
// 32-bit wrap-around, and Run's result whatever the pass count.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <vector>

#include "kernels/MatrixKernel.h"

namespace quorvane {
namespace {

using M = MatrixKernel;
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

// How many elements of R hold `expected` after `passes` passes over A, B and R filled with `a`,
// `b` and `r`.
std::size_t CountAfterPass(std::int32_t a, std::int32_t b, std::int32_t r, std::int32_t expected,
                           int passes = 1) {
  std::vector<std::int32_t> A(M::kSizeA, a), B(M::kSizeB, b), R(M::kSizeR, r);
  for (int pass = 0; pass < passes; ++pass) M::MultiplyAdd(A.data(), B.data(), R.data());
  return static_cast<std::size_t>(std::ranges::count(R, expected));
}

TEST(MatrixKernel, SumsAddUpOverPassesAndWrapAt32Bits) {
  EXPECT_EQ(CountAfterPass(1, 1, 0, 1024), M::kSizeR);
  EXPECT_EQ(CountAfterPass(1, 1, 0, 2048, 2), M::kSizeR);  // R is not cleared between passes
  // 1024 x 3 x (2^31 - 1) = 3 x 2^41 - 3072, which is -3072 modulo 2^32.
  EXPECT_EQ(CountAfterPass(kMax, 3, 0, -3072), M::kSizeR);
  // 2^16 x 2^16 is 0 modulo 2^32, and so is every sum of such products.
  EXPECT_EQ(CountAfterPass(1 << 16, 1 << 16, kMin, kMin), M::kSizeR);
}

TEST(MatrixKernel, RunReturnsOneForAnyPassCount) {
  for (const std::int32_t passes : {0, -1, kMin, 1}) EXPECT_EQ(M().Run(passes), 1) << passes;
}

}  // namespace
}  // namespace quorvane

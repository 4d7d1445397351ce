// Tests of the matrix kernel: the sums of one and two passes, the memory layout of A, B and R,
// 32-bit wrap-around, and Run's result whatever the pass count.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

#include "kernels/MatrixKernel.h"

namespace quorvane {
namespace {

constexpr std::size_t kRows = MatrixKernel::kRows;
constexpr std::size_t kInner = MatrixKernel::kInner;
constexpr std::size_t kColumns = MatrixKernel::kColumns;

struct Matrices {
  std::vector<std::int32_t> A = std::vector<std::int32_t>(kRows * kInner, 0);
  std::vector<std::int32_t> B = std::vector<std::int32_t>(kInner * kColumns, 0);
  std::vector<std::int32_t> R = std::vector<std::int32_t>(kRows * kColumns, 0);
  void MultiplyAdd() { MatrixKernel::MultiplyAdd(A.data(), B.data(), R.data()); }
};

TEST(MatrixKernel, EveryElementSumsAllInnerProducts) {
  Matrices m;
  m.A.assign(m.A.size(), 1);
  m.B.assign(m.B.size(), 1);
  m.MultiplyAdd();
  for (std::size_t i = 0; i < m.R.size(); ++i) {
    ASSERT_EQ(m.R[i], 1024) << "element " << i;
  }
  m.MultiplyAdd();  // R is not cleared between passes
  for (std::size_t i = 0; i < m.R.size(); ++i) {
    ASSERT_EQ(m.R[i], 2048) << "element " << i;
  }
}

TEST(MatrixKernel, RowsAndColumnsAreLaidOutWithoutGaps) {
  // A selects row `row` of B for row `row` of R: R[row][col] = 7 + B[row][col].
  Matrices m;
  for (std::size_t row = 0; row < kRows; ++row) {
    m.A[row * kInner + row] = 1;
  }
  for (std::size_t k = 0; k < kInner; ++k) {
    for (std::size_t col = 0; col < kColumns; ++col) {
      m.B[k * kColumns + col] = static_cast<std::int32_t>(k * 1000 + col);
    }
  }
  m.R.assign(m.R.size(), 7);
  m.MultiplyAdd();
  for (std::size_t row = 0; row < kRows; ++row) {
    for (std::size_t col = 0; col < kColumns; ++col) {
      ASSERT_EQ(m.R[row * kColumns + col], static_cast<std::int32_t>(7 + row * 1000 + col))
          << row << ", " << col;
    }
  }
}

TEST(MatrixKernel, ProductsAndSumsWrapAt32Bits) {
  // 1024 x 3 x (2^31 - 1) = 3 x 2^41 - 3072, which is -3072 modulo 2^32.
  Matrices m;
  m.A.assign(m.A.size(), std::numeric_limits<std::int32_t>::max());
  m.B.assign(m.B.size(), 3);
  m.MultiplyAdd();
  for (std::size_t i = 0; i < m.R.size(); ++i) {
    ASSERT_EQ(m.R[i], -3072) << "element " << i;
  }
  // 2^16 x 2^16 is 0 modulo 2^32, and so is every sum of such products.
  Matrices n;
  n.A.assign(n.A.size(), 1 << 16);
  n.B.assign(n.B.size(), 1 << 16);
  n.R.assign(n.R.size(), std::numeric_limits<std::int32_t>::min());
  n.MultiplyAdd();
  for (std::size_t i = 0; i < n.R.size(); ++i) {
    ASSERT_EQ(n.R[i], std::numeric_limits<std::int32_t>::min()) << "element " << i;
  }
}

TEST(MatrixKernel, RunReturnsOneForAnyPassCount) {
  for (const std::int32_t passes : {0, -1, std::numeric_limits<std::int32_t>::min(), 1}) {
    MatrixKernel kernel;
    EXPECT_EQ(kernel.Run(passes), 1) << passes;
  }
  EXPECT_EQ(MatrixKernel::kMultiplyAddsPerPass, 27878400);
}

}  // namespace
}  // namespace quorvane

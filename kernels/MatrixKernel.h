// The integer matrix workload: a 165 x 1024 by 1024 x 165 product added into a 165 x 165 result
// with 32-bit wrapping arithmetic. The loop order (row, column, inner index) is fixed and R is
// never cleared between passes. The three arrays belong to one Run call; a failed allocation
// propagates as std::bad_alloc, leaking nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace quorvane {

class MatrixKernel {
 public:
  static constexpr std::size_t kRows = 165;     // rows of A and R
  static constexpr std::size_t kInner = 1024;   // columns of A, rows of B
  static constexpr std::size_t kColumns = 165;  // columns of B and R
  static constexpr std::size_t kSizeA = kRows * kInner;
  static constexpr std::size_t kSizeB = kInner * kColumns;
  static constexpr std::size_t kSizeR = kRows * kColumns;
  static constexpr std::int64_t kMultiplyAddsPerPass =
      static_cast<std::int64_t>(kRows * kColumns * kInner);

  // Allocates A, B and R (zeroed), runs `passes` passes (none when below 1), releases A and B and
  // keeps R for reading until the next Run or the object's end; returns 1.
  std::int32_t Run(std::int32_t passes);

  // R of the last Run (kSizeR values, row by row), or nullptr before the first.
  const std::int32_t* result() const { return result_.get(); }

  // One pass: R[row][col] += A[row][k] * B[k][col] for every row, col and k, each array row by
  // row without gaps. R must not overlap A or B.
  static void MultiplyAdd(const std::int32_t* A, const std::int32_t* B, std::int32_t* R);

 private:
  std::unique_ptr<std::int32_t[]> result_;
};

}  // namespace quorvane

// The matrix multiply-add passes and the arrays' lifetime.
#include "kernels/MatrixKernel.h"

#include <memory>

#include "kernels/KeepAlive.h"

namespace quorvane {

std::int32_t MatrixKernel::Run(std::int32_t passes) {
  result_.reset();
  std::unique_ptr<std::int32_t[]> A(new std::int32_t[kSizeA]());
  std::unique_ptr<std::int32_t[]> B(new std::int32_t[kSizeB]());
  std::unique_ptr<std::int32_t[]> R(new std::int32_t[kSizeR]());
  // The values are opaque from here on: nothing may be computed from knowing they are zero.
  KeepMemory(A.get());
  KeepMemory(B.get());
  KeepMemory(R.get());

  for (std::int32_t pass = 0; pass < passes; ++pass) {
    MultiplyAdd(A.get(), B.get(), R.get());
  }

  KeepMemory(R.get());  // the sums are stored before the release
  A.reset();
  B.reset();
  result_ = std::move(R);  // released with the object, after the timed interval
  return 1;
}

void MatrixKernel::MultiplyAdd(const std::int32_t* A, const std::int32_t* B, std::int32_t* R) {
  for (std::size_t row = 0; row < kRows; ++row) {
    for (std::size_t col = 0; col < kColumns; ++col) {
      // Unsigned arithmetic is the 32-bit two's-complement wrapping multiply-add.
      auto sum = static_cast<std::uint32_t>(R[row * kColumns + col]);
      for (std::size_t k = 0; k < kInner; ++k) {
        sum += static_cast<std::uint32_t>(A[row * kInner + k]) *
               static_cast<std::uint32_t>(B[k * kColumns + col]);
      }
      R[row * kColumns + col] = static_cast<std::int32_t>(sum);
    }
  }
}

}  // namespace quorvane

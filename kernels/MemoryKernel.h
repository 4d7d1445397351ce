// The memory write workload: a 32 MiB buffer of one Run call, filled in blocks of 4, 8, 16 and
// 32 MiB with one single-byte store per index at ascending addresses. It never reads the buffer
// and never uses a block or vector fill; a failed allocation propagates as std::bad_alloc.
#pragma once

#include <cstddef>
#include <cstdint>

namespace quorvane {

class MemoryKernel {
 public:
  static constexpr std::size_t kBufferBytes = 32u << 20;     // 33,554,432
  static constexpr std::size_t kFirstBlockBytes = 4u << 20;  // 4,194,304
  static constexpr std::int64_t kBytesPerPass = 60 << 20;    // 62,914,560

  // Allocates the buffer, runs `passes` passes (none when below 1), releases it; returns 1.
  std::int32_t Run(std::int32_t passes);

  // One pass over `buffer` (at least kBufferBytes long): blocks of 4, 8, 16 and 32 MiB.
  static void FillPass(std::uint8_t* buffer);

  // Stores the low 8 bits of j into byte j of `buffer`, for j = 0 .. size - 1 in ascending order.
  static void FillBlock(std::uint8_t* buffer, std::size_t size);
};

}  // namespace quorvane

// Tests of the memory kernel: the contents one pass leaves, that no byte outside the buffer or
// the block is written, and Run's result whatever the pass count.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <vector>

#include "kernels/MemoryKernel.h"

namespace quorvane {
namespace {

constexpr std::size_t kGuard = 4096;
constexpr std::uint8_t kSentinel = 0xA5;

TEST(MemoryKernel, APassLeavesTheLowByteOfEveryIndexAndWritesNothingOutside) {
  // The buffer between two guards of sentinel bytes.
  std::vector<std::uint8_t> bytes(kGuard + MemoryKernel::kBufferBytes + kGuard, kSentinel);
  std::uint8_t* const buffer = bytes.data() + kGuard;
  MemoryKernel::FillBlock(buffer, 0);  // an empty block writes nothing
  EXPECT_EQ(std::ranges::count(bytes, kSentinel), bytes.size());

  MemoryKernel::FillPass(buffer);
  for (std::size_t j = 0; j < MemoryKernel::kBufferBytes; ++j) {
    ASSERT_EQ(buffer[j], j % 256) << "byte " << j;
  }
  // A block one byte too long, or a fifth (64 MiB) block, would reach the guard after it.
  EXPECT_EQ(std::count(bytes.begin(), bytes.begin() + kGuard, kSentinel), kGuard);
  EXPECT_EQ(std::count(bytes.end() - kGuard, bytes.end(), kSentinel), kGuard);
}

TEST(MemoryKernel, RunReturnsOneForAnyPassCount) {
  for (const std::int32_t passes : {0, -1, std::numeric_limits<std::int32_t>::min(), 1, 2}) {
    EXPECT_EQ(MemoryKernel().Run(passes), 1) << passes;
  }
}

}  // namespace
}  // namespace quorvane

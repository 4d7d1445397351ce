// Tests of the memory kernel: the contents one pass leaves, that no byte outside the buffer or
// the block is written, and Run's result whatever the pass count.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

#include "kernels/MemoryKernel.h"

namespace quorvane {
namespace {

constexpr std::size_t kGuard = 4096;
constexpr std::uint8_t kSentinel = 0xA5;

// A buffer of `size` bytes with sentinel guards on both sides.
struct GuardedBuffer {
  explicit GuardedBuffer(std::size_t size) : bytes(kGuard + size + kGuard, kSentinel), size(size) {}
  std::uint8_t* data() { return bytes.data() + kGuard; }
  bool GuardsIntact() const {
    for (std::size_t i = 0; i < kGuard; ++i) {
      if (bytes[i] != kSentinel || bytes[kGuard + size + i] != kSentinel) {
        return false;
      }
    }
    return true;
  }
  std::vector<std::uint8_t> bytes;
  std::size_t size;
};

TEST(MemoryKernel, OnePassLeavesTheLowByteOfEveryIndex) {
  GuardedBuffer buffer(MemoryKernel::kBufferBytes);
  MemoryKernel::FillPass(buffer.data());
  const std::uint8_t* data = buffer.data();
  for (std::size_t j = 0; j < MemoryKernel::kBufferBytes; ++j) {
    ASSERT_EQ(data[j], static_cast<std::uint8_t>(j % 256)) << "byte " << j;
  }
  EXPECT_TRUE(buffer.GuardsIntact());  // a fifth, 64 MiB block would run past the end
}

TEST(MemoryKernel, ABlockWritesExactlyItsSize) {
  constexpr std::size_t kSize = 4u << 20;
  GuardedBuffer buffer(kSize + 1000);
  MemoryKernel::FillBlock(buffer.data(), kSize);
  const std::uint8_t* data = buffer.data();
  for (std::size_t j = 0; j < kSize; ++j) {
    ASSERT_EQ(data[j], static_cast<std::uint8_t>(j)) << "byte " << j;
  }
  for (std::size_t j = kSize; j < kSize + 1000; ++j) {
    ASSERT_EQ(data[j], kSentinel) << "byte " << j;
  }
  EXPECT_TRUE(buffer.GuardsIntact());

  MemoryKernel::FillBlock(buffer.data(), 0);  // an empty block writes nothing
  EXPECT_TRUE(buffer.GuardsIntact());
  EXPECT_EQ(data[kSize], kSentinel);
}

TEST(MemoryKernel, RunReturnsOneForAnyPassCount) {
  for (const std::int32_t passes : {0, -1, std::numeric_limits<std::int32_t>::min(), 1, 2}) {
    MemoryKernel kernel;
    EXPECT_EQ(kernel.Run(passes), 1) << passes;
  }
}

}  // namespace
}  // namespace quorvane

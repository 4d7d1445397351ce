// The score arithmetic, fed with chosen tick counts and frequencies.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "engine/Score.h"
#include "numeric/Conversions.h"

namespace quorvane {
namespace {

constexpr std::int64_t kHz = 1'000'000'000;  // ticks of one nanosecond

TEST(Score, OneSecondWithLengthFactorTwoAndOneThread) {
  const std::int64_t second = kHz;
  EXPECT_EQ(ComputeScore(TestId::Dhrystone, second, kHz, 2, 1, 1), 8000u);
  EXPECT_EQ(ComputeScore(TestId::Whetstone, second, kHz, 2, 1, 1), 4000u);
  EXPECT_EQ(ComputeScore(TestId::Queens, second, kHz, 2, 1, 1), 20000u);
  EXPECT_EQ(ComputeScore(TestId::Matrix, second, kHz, 2, 1, 1), 223027u);  // 223027.2
  EXPECT_EQ(ComputeScore(TestId::NumberCrunch, second, kHz, 2, 1, 1), 235000u);
  EXPECT_EQ(ComputeScore(TestId::FloatingPoint, second, kHz, 2, 1, 1), 13200u);
  EXPECT_EQ(ComputeScore(TestId::Memory, second, kHz, 2, 1, 1), 1215360u);
}

TEST(Score, ThreadsLengthFactorAndMemoryWorkersScaleTheScore) {
  const std::int64_t second = kHz;
  EXPECT_EQ(ComputeScore(TestId::Dhrystone, second, kHz, 4, 3, 4), 48000u);
  EXPECT_EQ(ComputeScore(TestId::Whetstone, second, kHz, 4, 3, 4), 24000u);
  // The memory score counts the memory workers, not the threads.
  EXPECT_EQ(ComputeScore(TestId::Memory, second, kHz, 2, 3, 4), 4861440u);
  EXPECT_EQ(ComputeScore(TestId::Memory, second, kHz, 2, 128, 128), 155566080u);
}

TEST(Score, QuotientsAreTruncatedTowardZero) {
  // 3 ms: 8,000,000 / 3 = 2,666,666.67
  EXPECT_EQ(ComputeScore(TestId::Dhrystone, 3'000'000, kHz, 2, 1, 1), 2666666u);
  // Another frequency: 3,000,000 ticks at 1 MHz are 3 seconds.
  EXPECT_EQ(ComputeScore(TestId::Queens, 3'000'000, 1'000'000, 2, 1, 1), 6666u);
}

TEST(Score, NumberCrunchDividesByWholeMilliseconds) {
  // 2.9 ms count as 2 ms.
  EXPECT_EQ(ComputeScore(TestId::NumberCrunch, 2'900'000, kHz, 2, 1, 1), 117500000u);
  // Below one millisecond the divisor is 0, which gives 0, not a crash.
  EXPECT_EQ(ComputeScore(TestId::NumberCrunch, 900'000, kHz, 2, 1, 1), 0u);
}

TEST(Score, OnlyTheLowThirtyTwoBitsAreKept) {
  // One tick of a 2^20 Hz counter (exact in binary): 8,000,000 / (1000 / 2^20) ms
  // = 8,388,608,000, whose low 32 bits are 4,093,640,704.
  EXPECT_EQ(ComputeScore(TestId::Dhrystone, 1, 1 << 20, 2, 1, 1), 4093640704u);
  // No elapsed time at all: an infinite quotient gives 0.
  EXPECT_EQ(ComputeScore(TestId::Dhrystone, 0, kHz, 2, 1, 1), 0u);
  EXPECT_EQ(ComputeScore(TestId::Memory, 0, kHz, 2, 1, 1), 0u);
}

// The truncation at the ends of the 64-bit range: 2^63 no longer fits, the largest double below
// it does, and so does -2^63; NaN gives the most negative value.
TEST(Score, TruncationAtTheEndsOfTheSixtyFourBitRange) {
  constexpr std::int64_t kLowest = std::numeric_limits<std::int64_t>::min();
  EXPECT_EQ(TruncToInt64(9223372036854775808.0), kLowest);
  EXPECT_EQ(TruncToInt64(9223372036854774784.0), 9223372036854774784);
  EXPECT_EQ(TruncToInt64(-9223372036854775808.0), kLowest);
  EXPECT_EQ(TruncToInt64(std::nan("")), kLowest);
  EXPECT_EQ(TruncToInt32Low(4294967297.9), 1);
}

TEST(Score, MemoryWorkersAreTheNextPowerOfTwo) {
  EXPECT_EQ(MemoryWorkerCountFor(1), 1);
  EXPECT_EQ(MemoryWorkerCountFor(2), 2);
  EXPECT_EQ(MemoryWorkerCountFor(3), 4);
  EXPECT_EQ(MemoryWorkerCountFor(4), 4);
  EXPECT_EQ(MemoryWorkerCountFor(5), 8);
  EXPECT_EQ(MemoryWorkerCountFor(64), 64);
  EXPECT_EQ(MemoryWorkerCountFor(65), 128);
  EXPECT_EQ(MemoryWorkerCountFor(100), 128);
  EXPECT_EQ(MemoryWorkerCountFor(128), 128);
}

}  // namespace
}  // namespace quorvane

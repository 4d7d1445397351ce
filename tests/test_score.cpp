// The score arithmetic fed with chosen tick counts and frequencies, the conversions under it and
// the numeric reading of stored value texts.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "engine/ResultStore.h"
#include "engine/Score.h"
#include "numeric/Conversions.h"

namespace quorvane {
namespace {

constexpr std::int64_t kHz = 1'000'000'000;  // ticks of one nanosecond

TEST(Score, FormulasScaleTruncateAndKeepTheLowThirtyTwoBits) {
  const struct {
    TestId test;
    std::int64_t ticks, frequency;
    int lengthFactor, threads, memoryWorkers;
    std::uint32_t score;
  } cases[] = {
      {TestId::Dhrystone, kHz, kHz, 2, 1, 1, 8000},  // one second, length factor 2, one thread
      {TestId::Whetstone, kHz, kHz, 2, 1, 1, 4000},
      {TestId::Queens, kHz, kHz, 2, 1, 1, 20000},
      {TestId::Matrix, kHz, kHz, 2, 1, 1, 223027},  // 223027.2
      {TestId::NumberCrunch, kHz, kHz, 2, 1, 1, 235000},
      {TestId::FloatingPoint, kHz, kHz, 2, 1, 1, 13200},
      {TestId::Memory, kHz, kHz, 2, 1, 1, 1215360},
      {TestId::Whetstone, kHz, kHz, 4, 3, 4, 24000},
      {TestId::Memory, kHz, kHz, 2, 3, 4, 4861440},           // memory workers count, not threads
      {TestId::Dhrystone, 3'000'000, kHz, 2, 1, 1, 2666666},  // 2666666.67 truncated
      {TestId::Queens, 3'000'000, 1'000'000, 2, 1, 1, 6666},  // another frequency: 3 s
      {TestId::NumberCrunch, 2'900'000, kHz, 2, 1, 1, 117500000},  // whole milliseconds: 2
      {TestId::NumberCrunch, 900'000, kHz, 2, 1, 1, 0},            // a divisor of 0 gives 0
      // One tick of 2^20 Hz: 8,388,608,000, whose low 32 bits are 4,093,640,704.
      {TestId::Dhrystone, 1, 1 << 20, 2, 1, 1, 4093640704u},
      {TestId::Dhrystone, 0, kHz, 2, 1, 1, 0},  // an infinite quotient gives 0
  };
  for (const auto& c : cases) {
    EXPECT_EQ(
        ComputeScore(c.test, c.ticks, c.frequency, c.lengthFactor, c.threads, c.memoryWorkers),
        c.score)
        << static_cast<int>(c.test) << " " << c.ticks << " " << c.threads;
  }
  for (const auto& [threads, workers] :
       {std::pair{1, 1}, {2, 2}, {3, 4}, {4, 4}, {5, 8}, {128, 128}}) {
    EXPECT_EQ(MemoryWorkerCountFor(threads), workers) << threads;
  }
}

// The ends of the 64-bit range: 2^63 no longer fits, the largest double below it does, and so
// does -2^63; NaN gives the most negative value.
TEST(Score, TruncationAtTheEndsOfTheSixtyFourBitRange) {
  constexpr std::int64_t kLowest = std::numeric_limits<std::int64_t>::min();
  EXPECT_EQ(TruncToInt64(9223372036854775808.0), kLowest);
  EXPECT_EQ(TruncToInt64(9223372036854774784.0), 9223372036854774784);
  EXPECT_EQ(TruncToInt64(-9223372036854775808.0), kLowest);
  EXPECT_EQ(TruncToInt64(std::nan("")), kLowest);
  EXPECT_EQ(TruncToInt32Low(4294967297.9), 1);
}

// The leading decimal integer, wrapping modulo 2^32 beyond the 32-bit range (10^30 too).
TEST(ResultStore, NumericReadingTakesTheLeadingIntegerAndWraps) {
  const std::pair<const char*, std::int32_t> cases[] = {
      {"      1234", 1234},
      {"  \t 42abc7", 42},
      {"+17", 17},
      {"-17 x", -17},
      {"", 0},
      {"abc12", 0},
      {"-", 0},
      {"2147483647", 2147483647},
      {"2147483648", -2147483647 - 1},
      {"4294967295", -1},
      {"4294967297", 1},
      {"1000000000000000000000000000000", 1073741824}};
  for (const auto& [text, value] : cases) EXPECT_EQ(ReadValue(text), value) << text;
}

}  // namespace
}  // namespace quorvane

#include "engine/Score.h"

#include "kernels/Conversions.h"

namespace quorvane {

std::int32_t MemoryWorkerCountFor(std::int32_t threads) {
  std::int32_t workers = 1;
  if (threads > 1) {
    while (workers < threads) workers *= 2;
  }
  return workers;
}

std::uint32_t ComputeScore(TestId test, std::int64_t ticks, std::int64_t frequency,
                           std::int32_t lengthFactor, std::int32_t threads,
                           std::int32_t memoryWorkers) {
  const double ms = (static_cast<double>(ticks) / static_cast<double>(frequency)) * 1000.0;
  const double L = static_cast<double>(lengthFactor);
  const double N = static_cast<double>(threads);
  double quotient = 0.0;
  switch (test) {
    case TestId::Dhrystone:
      quotient = ((L * N) * 4000000.0) / ms;
      break;
    case TestId::Whetstone:
      quotient = ((2000000.0 / ms) * L) * N;
      break;
    case TestId::Queens:
      quotient = ((L * N) * 10000000.0) / ms;
      break;
    case TestId::Matrix:
      quotient = (((27878400.0 / ms) * L) * N) * 4.0;
      break;
    case TestId::NumberCrunch: {
      const std::uint32_t msInt = Low32(TruncToInt64(ms));
      quotient = ((L * N) * 117500000.0) / static_cast<double>(msInt);
      break;
    }
    case TestId::FloatingPoint:
      quotient = ((L * N) * 6600000.0) / ms;
      break;
    case TestId::Memory: {
      const double seconds = ms / 1000.0;
      // The product is formed in 32 bits (at most 128 × 607,680), then converted.
      const auto bytesPerWorker =
          static_cast<std::int32_t>(static_cast<std::uint32_t>(memoryWorkers) * 607680u);
      quotient = (static_cast<double>(bytesPerWorker) * L) / seconds;
      break;
    }
  }
  return Low32(TruncToInt64(quotient));
}

}  // namespace quorvane

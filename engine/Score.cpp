#include "engine/Score.h"

#include "engine/TestTable.h"
#include "numeric/Conversions.h"

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
  const double C = InfoOf(test).scoreConstant;
  double quotient = 0.0;
  switch (test) {
    case TestId::Dhrystone:
      quotient = ((L * N) * C) / ms;
      break;
    case TestId::Whetstone:
      quotient = ((C / ms) * L) * N;
      break;
    case TestId::Queens:
      quotient = ((L * N) * C) / ms;
      break;
    case TestId::Matrix:
      // The last factor is the number of passes a worker makes per length factor.
      quotient = (((C / ms) * L) * N) * static_cast<double>(InfoOf(test).loopsPerLengthFactor);
      break;
    case TestId::NumberCrunch: {
      const std::uint32_t msInt = Low32(TruncToInt64(ms));
      quotient = ((L * N) * C) / static_cast<double>(msInt);
      break;
    }
    case TestId::FloatingPoint:
      quotient = ((L * N) * C) / ms;
      break;
    case TestId::Memory: {
      const double seconds = ms / 1000.0;
      // The product is formed in 32 bits (at most 128 workers), then converted.
      const auto bytesPerWorker = static_cast<std::int32_t>(
          static_cast<std::uint32_t>(memoryWorkers) * static_cast<std::uint32_t>(C));
      quotient = (static_cast<double>(bytesPerWorker) * L) / seconds;
      break;
    }
  }
  return Low32(TruncToInt64(quotient));
}

}  // namespace quorvane

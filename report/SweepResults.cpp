#include "report/SweepResults.h"

#include <cmath>

namespace quorvane {

std::optional<double> SpeedUp(const std::vector<SweepRun>& runs, const SweepRun& run, char code) {
  const SweepRun* base = nullptr;
  for (const SweepRun& candidate : runs) {
    if (candidate.threads == 1) base = &candidate;
  }
  if (!base) return std::nullopt;
  const int baseRow = FindRowByCode(base->results, code);
  const int row = FindRowByCode(run.results, code);
  if (baseRow < 0 || row < 0) return std::nullopt;
  const std::uint32_t baseValue =
      ReadUnsignedValue(ValueText(base->results[static_cast<std::size_t>(baseRow)]));
  const std::uint32_t value =
      ReadUnsignedValue(ValueText(run.results[static_cast<std::size_t>(row)]));
  if (baseValue == 0) return std::nullopt;
  return static_cast<double>(value) / static_cast<double>(baseValue);
}

std::int64_t EfficiencyPercent(double speedUp, int threads) {
  return std::llround(speedUp * 100.0 / threads);
}

}  // namespace quorvane

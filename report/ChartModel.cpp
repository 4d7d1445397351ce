#include "report/ChartModel.h"

#include <algorithm>
#include <utility>

namespace quorvane {

std::vector<ChartRow> ChartRowsOf(const ResultsModel& model) {
  std::vector<ChartRow> rows;
  for (const ResultsRow& row : model.rows) {
    ChartRow chartRow{std::string(row.test->name), std::nullopt, {}, {}, false};
    if (row.Compared()) {
      chartRow.percent = row.percent;
    } else {
      chartRow.value = row.thisText;
      chartRow.unit = std::string(row.test->unit);
    }
    rows.push_back(std::move(chartRow));
  }
  const ResultsTotals& totals = model.totals;
  const std::pair<const char*, const std::optional<std::int64_t>&> totalRows[] = {
      {"Total CPU", totals.totalCpu},
      {"Total FPU", totals.totalFpu},
      {"Average", totals.average},
      {"Application Performance", totals.applicationPerformance}};
  for (const auto& [name, value] : totalRows) {
    if (value) rows.push_back({name, value, {}, {}, true});
  }
  return rows;
}

std::int64_t ChartScalePercent(const std::vector<ChartRow>& rows) {
  std::int64_t largest = 100;
  for (const ChartRow& row : rows) {
    if (row.percent) largest = std::max(largest, *row.percent);
  }
  return largest;
}

}  // namespace quorvane

// The rows of the comparison chart, taken from the results model: each compared test with its
// percent, each test of this machine alone with its value and unit, then the totals the report
// shows. The chart view of the desktop program and the web page's SVG chart both draw these
// rows, so both show the same comparison. Plain data; no drawing, no Qt; any thread.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "report/ResultsModel.h"

namespace quorvane {

struct ChartRow {
  std::string name;                     // the test's or the total's label (Windows-1252)
  std::optional<std::int64_t> percent;  // none for a test of this machine alone
  std::string value;                    // this machine's value text as stored, when no percent
  std::string unit;                     // the test's unit, when no percent
  bool total = false;                   // the totals stand apart below the tests
};

// The rows in drawing order: the model's tests, then "Total CPU", "Total FPU", "Average" and
// "Application Performance" where the model has them. Empty for a model without rows.
std::vector<ChartRow> ChartRowsOf(const ResultsModel& model);

// The percent the chart's scale reaches: the largest percent of `rows`, and never less than the
// comparison's 100.
std::int64_t ChartScalePercent(const std::vector<ChartRow>& rows);

}  // namespace quorvane

// The results view's content as plain data: which test lines it shows, each with this
// machine's value, the comparison value and the percent, and the totals that the compared
// groups allow. The text report and the chart are both drawn from it; it formats nothing and
// reads nothing but the two result tables.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/ResultStore.h"
#include "engine/TestTable.h"

namespace quorvane {

// One test line of the results view.
struct ResultsRow {
  const TestInfo* test = nullptr;        // name, unit and code from the test table
  std::string thisText;                  // this machine's value text, as stored
  std::optional<std::string> otherText;  // the comparison's value text; none when not compared
  std::int64_t percent = 0;              // this value as a percentage of the other; 0 when none

  bool Compared() const { return otherText.has_value(); }
};

// The totals lines; each is absent when the results view leaves it out.
struct ResultsTotals {
  std::optional<std::int64_t> totalCpu;
  std::optional<std::int64_t> totalFpu;
  std::optional<std::int64_t> average;
  std::optional<std::int64_t> applicationPerformance;
};

struct ResultsModel {
  std::vector<ResultsRow> rows;  // in report order, at most one per test
  ResultsTotals totals;
};

// The test lines matched in the fixed test order against `thisResults` from row 0 (a test whose
// row is not next is left out), each compared with the first comparison row of its code, and
// the totals of the compared rows.
ResultsModel BuildResultsModel(const ResultTable& thisResults, const ResultTable& otherResults);

}  // namespace quorvane

// The results view of the report: this machine's results beside the comparison machine's, with
// percentages, totals and the drive blocks. Reads the result tables; writes only the report
// lines and `descriptionShown`. It repaints nothing; the caller does.
#pragma once

#include "engine/BenchmarkState.h"

namespace quorvane {

// Empties all 100 lines, writes the results view from `thisResults` and `otherResults`, and
// sets `descriptionShown` to false.
void BuildReport(BenchmarkState& state);

}  // namespace quorvane

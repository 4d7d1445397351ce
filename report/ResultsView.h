// The results view of the report: this machine's results beside the comparison machine's, with
// percentages, totals and the drive blocks. Reads the result tables; writes only the report
// lines and `descriptionShown`. It repaints nothing; the caller does.
#pragma once

#include <vector>

#include "engine/BenchmarkState.h"

namespace quorvane {

// Two drive blocks that the report shows side by side: this machine's and the comparison's
// block that start at the same row (either may be missing, never both).
struct DriveBlockPair {
  int row = 0;
  const ResultEntry* thisBlock = nullptr;
  const ResultEntry* otherBlock = nullptr;
};

// Every pair of drive blocks, in row order: the tables are walked in step, and the rows from 94
// on never start a block. The report shows the first nine; the web page shows them all.
std::vector<DriveBlockPair> PairedDriveBlocks(const ResultTable& thisResults,
                                              const ResultTable& otherResults);

// Empties all 100 lines, writes the results view from `thisResults` and `otherResults`, and
// sets `descriptionShown` to false.
void BuildReport(BenchmarkState& state);

}  // namespace quorvane

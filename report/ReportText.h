// How far the report reaches: the number of lines from line 0 down to its last non-empty line,
// which is what the command-line program prints. Reads only.
#pragma once

#include "engine/BenchmarkState.h"

namespace quorvane {

// The number of lines from line 0 down to the last non-empty line (0 for an empty report).
int ReportLineCount(const ReportLines& lines);

}  // namespace quorvane

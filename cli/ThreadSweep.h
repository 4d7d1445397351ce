// The thread sweep of quorvane-cli: which thread counts a sweep runs, and the table and JSON of
// the finished runs (score, speed-up over one thread, efficiency per test). Runs nothing; reads
// the result tables the runs left.
#pragma once

#include <nlohmann/json.hpp>

#include <optional>
#include <string>
#include <vector>

#include "engine/ResultStore.h"
#include "report/SweepResults.h"

namespace quorvane {

// 1, 2, 4, ... below `limit`, then `limit` itself (1 for a limit below 2).
std::vector<int> SweepThreadCounts(int limit);

// What a sweep's progress line says before the test: "1 thread: ", "8 threads: ".
std::string SweepProgressPrefix(int threads);

// A header line, then one line per run and test: threads, test, score, unit, speed-up,
// efficiency in percent (speed-up over threads).
std::string SweepTable(const std::vector<SweepRun>& runs);

// One object per run: {"threads": N, "results": [...]} with the rows shaped like the top-level
// results (compared with `otherResults`), each test row also with "speedup" and "efficiency".
nlohmann::json SweepAsJson(const std::vector<SweepRun>& runs, const ResultTable& otherResults);

}  // namespace quorvane

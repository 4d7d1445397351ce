#include "cli/ThreadSweep.h"

#include <cmath>
#include <cstdio>

#include "engine/TestTable.h"
#include "report/JsonReport.h"

namespace quorvane {

namespace {

// The columns: threads, test, score, unit, speed-up, efficiency.
constexpr const char* kHeader = "%7s  %-24s %12s  %-8s  %8s  %10s\n";
constexpr const char* kLine = "%7d  %-24s %12s  %-8s  %8s  %10s\n";

}  // namespace

std::vector<int> SweepThreadCounts(int limit) {
  std::vector<int> counts;
  for (int count = 1; count < limit; count *= 2) counts.push_back(count);
  counts.push_back(std::max(limit, 1));
  return counts;
}

std::string SweepProgressPrefix(int threads) {
  return std::to_string(threads) + (threads == 1 ? " thread: " : " threads: ");
}

std::string SweepTable(const std::vector<SweepRun>& runs) {
  char line[200];
  std::snprintf(line, sizeof line, kHeader, "threads", "test", "score", "unit", "speed-up",
                "efficiency");
  std::string table = line;
  for (const SweepRun& run : runs) {
    for (const TestInfo& test : kTestTable) {
      const int row = FindRowByCode(run.results, test.code);
      if (row < 0) continue;
      const std::string score(ValueText(run.results[static_cast<std::size_t>(row)]));
      char speedUp[32] = "n/a";
      char efficiency[32] = "n/a";
      if (const std::optional<double> factor = SpeedUp(runs, run, test.code)) {
        std::snprintf(speedUp, sizeof speedUp, "%.2f", *factor);
        std::snprintf(efficiency, sizeof efficiency, "%lld %%",
                      static_cast<long long>(EfficiencyPercent(*factor, run.threads)));
      }
      const std::string name(test.name);
      const std::string unit(test.unit);
      std::snprintf(line, sizeof line, kLine, run.threads, name.c_str(), score.c_str(),
                    unit.c_str(), speedUp, efficiency);
      table += line;
    }
  }
  return table;
}

nlohmann::json SweepAsJson(const std::vector<SweepRun>& runs, const ResultTable& otherResults) {
  nlohmann::json sweep = nlohmann::json::array();
  for (const SweepRun& run : runs) {
    nlohmann::json results = ResultRowsAsJson(run.results, otherResults);
    for (nlohmann::json& item : results) {
      const std::string code = item["code"];
      if (code.size() != 1 || !FindTestByCode(code[0])) continue;
      if (const std::optional<double> factor = SpeedUp(runs, run, code[0])) {
        item["speedup"] = std::round(*factor * 100.0) / 100.0;
        item["efficiency"] = EfficiencyPercent(*factor, run.threads);
      }
    }
    sweep.push_back({{"threads", run.threads}, {"results", results}});
  }
  return sweep;
}

}  // namespace quorvane

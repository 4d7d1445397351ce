// The history options in a build without SQLite (the Windows cross build): refused in one line.
#include "cli/CliHistory.h"

namespace quorvane {

namespace {

constexpr const char* kNoHistory =
    "this build of quorvane-cli has no history of runs (it was built without SQLite)";

HistoryOutcome Refused() { return {2, kNoHistory}; }

}  // namespace

std::optional<std::string> RefusedHistoryOptions(const CliOptions& options) {
  const bool asked = options.history || options.historyFile || options.loadRun ||
                     options.compareRun || options.deleteRun;
  return asked ? std::optional<std::string>(kNoHistory) : std::nullopt;
}

HistoryOutcome ListRuns(const CliOptions&, std::ostream&) { return Refused(); }
HistoryOutcome DeleteRun(const CliOptions&, int) { return Refused(); }
HistoryOutcome ReadRun(const CliOptions&, int, std::string&) { return Refused(); }

std::string RecordFinishedRun(const CliOptions&, const BenchmarkState&, int, const std::string&) {
  return {};
}

}  // namespace quorvane

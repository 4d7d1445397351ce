// The history of runs as quorvane-cli uses it: which file (--history-file, else the default
// history), recording a finished run, listing the runs, reading and deleting one. Every failure
// is one line for stderr and an exit status as for files: 1 when the history is missing or
// cannot be read or changed, 2 when it has no such run. A build without SQLite has no history:
// its version of this unit (CliHistory_none.cpp) refuses the history options and records
// nothing. Called on the main thread; may wait a few seconds for another program's lock.
#pragma once

#include <optional>
#include <ostream>
#include <string>

#include "cli/CliOptions.h"
#include "engine/BenchmarkState.h"

namespace quorvane {

// What a history command came to: the exit status and, with a failure, its line. A line with
// status 0 is a warning (the history is damaged and the runs are read from the file beside it).
struct HistoryOutcome {
  int status = 0;
  std::string message;
};

// In a build without a history, the line refusing the history options given (all but
// --no-history, which asks for nothing there); otherwise nothing.
std::optional<std::string> RefusedHistoryOptions(const CliOptions& options);

// --history: every run, newest first, one line each, or with --json one JSON array, on `out`.
HistoryOutcome ListRuns(const CliOptions& options, std::ostream& out);

// --delete-run ID.
HistoryOutcome DeleteRun(const CliOptions& options, int id);

// --load-run, --compare-run: the bytes of the result file of run `id`, as they were recorded.
HistoryOutcome ReadRun(const CliOptions& options, int id, std::string& resultFile);

// Records the run that has just finished in `state` (this machine's tables, run with `threads`
// threads; `detailsJson` from RunDetailsJson), unless --no-history. Returns a warning line when
// it was not recorded or went to another file than the one asked for; empty otherwise.
std::string RecordFinishedRun(const CliOptions& options, const BenchmarkState& state, int threads,
                              const std::string& detailsJson);

}  // namespace quorvane

// Recording a finished run in the history, the way both programs do it: never in the run's way.
// A history that cannot be opened or written, is locked by another program for more than a few
// seconds, or is not ours costs one line for the user, and the run goes on as if there were no
// history. Called by the thread that ran the tests, after the run; blocks for at most the wait
// for another program's lock.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "engine/BenchmarkState.h"
#include "history/RunRecord.h"

namespace quorvane {

struct RecordingOutcome {
  std::optional<std::int64_t> id;  // the new run's id when it was recorded
  std::string warning;             // one line when it was not, or went to another file
};

// The facts of a run that finishes now on this machine: the time and the machine identity set,
// the rest left for the front end to fill in.
RunFacts FactsNow();

// Adds this machine's tables of `state` with `facts` to the history at `path` (or, when that
// is damaged, to the file beside it that HistoryFileFor names).
RecordingOutcome RecordRun(const std::filesystem::path& path, const BenchmarkState& state,
                           const RunFacts& facts);

}  // namespace quorvane

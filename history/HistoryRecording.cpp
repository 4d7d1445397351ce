#include "history/HistoryRecording.h"

#include "history/HistoryStore.h"

namespace quorvane {

RecordingOutcome RecordRun(const std::filesystem::path& path, const BenchmarkState& state,
                           const RunFacts& facts) {
  RecordingOutcome outcome;
  std::string note;
  const std::filesystem::path file = HistoryFileFor(path, note);
  std::string error;
  std::unique_ptr<HistoryStore> store = HistoryStore::Open(file, true, error);
  if (store) outcome.id = store->Add(state, facts, error);
  if (!outcome.id) {
    outcome.warning = "the run was not recorded: " + error;
  } else {
    outcome.warning = note;
  }
  return outcome;
}

}  // namespace quorvane

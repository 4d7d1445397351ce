#include "history/HistoryRecording.h"

#include <chrono>

#include "history/HistoryStore.h"
#include "platform/MachineIdentity.h"

namespace quorvane {

RunFacts FactsNow() {
  RunFacts facts;
  facts.timeUtc = std::chrono::duration_cast<std::chrono::seconds>(
                      std::chrono::system_clock::now().time_since_epoch())
                      .count();
  facts.machineIdentity = ThisMachineIdentity();
  return facts;
}

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

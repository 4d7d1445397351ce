#include "cli/CliHistory.h"

#include <cstdio>
#include <ctime>
#include <memory>
#include <vector>

#include "cli/TerminalText.h"
#include "engine/TestTable.h"
#include "history/HistoryLocation.h"
#include "history/HistoryRecording.h"
#include "history/HistoryStore.h"
#include "report/JsonReport.h"

namespace quorvane {

namespace {

namespace fs = std::filesystem;

constexpr const char* kNoFolder =
    "the history has no folder: neither HOME nor XDG_DATA_HOME is set (choose a file with "
    "--history-file or QUORVANE_HISTORY)";

// The history the options name: --history-file, else the default one; empty when there is none.
fs::path HistoryPath(const CliOptions& options) {
  return options.historyFile ? fs::path(*options.historyFile) : DefaultHistoryPath();
}

// The history opened for reading or changing (the file beside a damaged one, which then gives
// `outcome` its warning); nothing with `outcome` set to the failure.
std::unique_ptr<HistoryStore> OpenHistory(const CliOptions& options, HistoryOutcome& outcome) {
  const fs::path path = HistoryPath(options);
  if (path.empty()) {
    outcome = {1, kNoFolder};
    return nullptr;
  }
  std::string note;
  const fs::path file = HistoryFileFor(path, note);
  std::string error;
  std::unique_ptr<HistoryStore> store = HistoryStore::Open(file, false, error);
  outcome = store ? HistoryOutcome{0, note} : HistoryOutcome{1, error};
  return store;
}

// A failure of Find or Delete: no such run is a wrong id (2), anything else a history that
// cannot be read or changed (1).
HistoryOutcome Failed(std::int64_t id, const std::string& error) {
  const bool noSuchRun = error.rfind("no run " + std::to_string(id) + " ", 0) == 0;
  return {noSuchRun ? 2 : 1, error};
}

// The local date and time of `timeUtc`: "2026-12-07 22:41:05", or with `iso` in RFC 3339 with
// the offset from UTC ("2026-12-07T22:41:05+01:00").
std::string LocalTime(std::int64_t timeUtc, bool iso) {
  const std::time_t time = static_cast<std::time_t>(timeUtc);
  std::tm local{};
  if (localtime_r(&time, &local) == nullptr) return std::to_string(timeUtc);
  char text[40];
  if (!iso) {
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return text;
  }
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S%z", &local);
  const std::string stamp = text;
  if (stamp.size() < 5) return stamp;
  // +0100 as +01:00
  return stamp.substr(0, stamp.size() - 2) + ":" + stamp.substr(stamp.size() - 2);
}

// The rows of a listed run as a result table.
ResultTable TableOf(const RunSummary& run) {
  ResultTable table{};
  for (std::size_t row = 0; row < run.scores.size() && row < table.size(); ++row) {
    SetRow(table[row], run.scores[row].code, run.scores[row].value);
  }
  return table;
}

// "dhrystone 123456, whetstone 2345, drive C read 81234 write 70000": each test by its
// --tests name, each drive by its average read and write rates.
std::string ScoresLine(const RunSummary& run) {
  std::string line;
  const auto add = [&line](const std::string& part) { line += (line.empty() ? "" : ", ") + part; };
  const std::vector<RunScore>& scores = run.scores;
  for (std::size_t row = 0; row < scores.size(); ++row) {
    const char code = scores[row].code;
    if (const TestInfo* test = FindTestByCode(code)) {
      add(std::string(test->cliName) + " " + std::to_string(scores[row].value));
    } else if (StartsDriveBlock(code) && row + 4 < scores.size()) {
      add(std::string("drive ") + code + " read " + std::to_string(scores[row + 1].value) +
          " write " + std::to_string(scores[row + 4].value));
    }
  }
  return line;
}

// How the run was made: "8 threads", then ", quick", ", long", ", 3 repetitions" as they apply.
std::string HowLine(const RunFacts& facts) {
  std::string how = std::to_string(facts.threads) + (facts.threads == 1 ? " thread" : " threads");
  if (!facts.steady) how += ", quick";
  if (facts.longTests) how += ", long";
  if (facts.repetitions > 1) how += ", " + std::to_string(facts.repetitions) + " repetitions";
  return how;
}

nlohmann::json RunAsJson(const RunSummary& run) {
  return {{"id", run.id},
          {"time", LocalTime(run.facts.timeUtc, true)},
          {"timeUtc", run.facts.timeUtc},
          {"machine", run.machineName},
          {"machineIdentity", run.facts.machineIdentity},
          {"threads", run.facts.threads},
          {"longTests", run.facts.longTests},
          {"repetitions", run.facts.repetitions},
          {"measurement", run.facts.steady ? "steady" : "quick"},
          {"results", ResultRowsAsJson(TableOf(run), ResultTable{})}};
}

}  // namespace

std::optional<std::string> RefusedHistoryOptions(const CliOptions&) { return std::nullopt; }

HistoryOutcome ListRuns(const CliOptions& options, std::ostream& out) {
  HistoryOutcome outcome;
  const std::unique_ptr<HistoryStore> store = OpenHistory(options, outcome);
  if (!store) return outcome;
  std::string error;
  const std::optional<std::vector<RunSummary>> runs = store->List(error);
  if (!runs) return {1, error};
  if (options.json) {
    nlohmann::json list = nlohmann::json::array();
    for (const RunSummary& run : *runs) list.push_back(RunAsJson(run));
    out << JsonText(list) << '\n';
    return outcome;
  }
  for (const RunSummary& run : *runs) {
    const std::string machine = run.machineName.empty() ? "(no name)" : run.machineName;
    out << run.id << "  " << LocalTime(run.facts.timeUtc, false) << "  " << TerminalText(machine)
        << "  " << HowLine(run.facts) << ":  " << ScoresLine(run) << '\n';
  }
  return outcome;
}

HistoryOutcome DeleteRun(const CliOptions& options, int id) {
  HistoryOutcome outcome;
  const std::unique_ptr<HistoryStore> store = OpenHistory(options, outcome);
  if (!store) return outcome;
  std::string error;
  if (!store->Delete(id, error)) return Failed(id, error);
  return outcome;
}

HistoryOutcome ReadRun(const CliOptions& options, int id, std::string& resultFile) {
  HistoryOutcome outcome;
  const std::unique_ptr<HistoryStore> store = OpenHistory(options, outcome);
  if (!store) return outcome;
  std::string error;
  std::optional<RunRecord> record = store->Find(id, error);
  if (!record) return Failed(id, error);
  resultFile = std::move(record->resultFile);
  return outcome;
}

std::string RecordFinishedRun(const CliOptions& options, const BenchmarkState& state, int threads,
                              const std::string& detailsJson) {
  if (options.noHistory) return {};
  const fs::path path = HistoryPath(options);
  if (path.empty()) return std::string("the run was not recorded: ") + kNoFolder;
  RunFacts facts = FactsNow();
  facts.threads = threads;
  facts.longTests = options.longTests;
  facts.repetitions = options.repeat;
  facts.steady = !options.quick;
  facts.detailsJson = detailsJson;
  return RecordRun(path, state, facts).warning;
}

}  // namespace quorvane

// The history of runs: one SQLite database file that every finished run of either program adds
// a record to, and from which any run can be listed, loaded or deleted. Two programs may use
// one history at once (write-ahead log, a wait of a few seconds for the other's lock). A file
// that is not a history of ours, one of a newer version, or one that is damaged is never
// changed: opening it fails with the reason, and a damaged one is replaced by a file beside it
// for the runs that follow (HistoryFileFor).
//
// Every method reports a failure as a message the user can act on (which file, what is wrong)
// and never throws. A store is used by one thread at a time; several stores, in one process
// or in several, may use the same file.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/BenchmarkState.h"
#include "history/RunRecord.h"

struct sqlite3;

namespace quorvane {

// The schema this program writes; a file of a higher version is refused, a lower one is
// brought up to it when opened for recording.
constexpr int kHistorySchemaVersion = 1;

// What is at a history's path, found from the file's first bytes without changing it.
enum class HistoryFileKind {
  Absent,      // nothing there yet: the history is made when the first run is recorded
  Ours,        // a history of this program, of this version or an older one
  Newer,       // a history of a newer version of this program
  Foreign,     // not SQLite, or another program's SQLite database
  Damaged,     // SQLite's header, but not readable as a database
  Unreadable,  // a folder, a device, a link placed by others, or no permission to read it
};

HistoryFileKind ClassifyHistoryFile(const std::filesystem::path& path);

// The file that runs are recorded in for the history at `path`: `path` itself, unless it is
// damaged; then the first of history.2.sqlite3, history.3.sqlite3 ... beside it (numbered
// before the extension) that is absent or a history of ours. `note` gets a line saying that
// the damaged file was left as it is and where the runs go now.
std::filesystem::path HistoryFileFor(const std::filesystem::path& path, std::string& note);

class HistoryStore {
 public:
  // Opens the history at `path` (made, with its folder, when absent and `create` is set).
  // Nothing when it cannot be used; `error` then says why, naming the file.
  static std::unique_ptr<HistoryStore> Open(const std::filesystem::path& path, bool create,
                                            std::string& error);
  ~HistoryStore();
  HistoryStore(const HistoryStore&) = delete;
  HistoryStore& operator=(const HistoryStore&) = delete;

  // Records this machine's tables of `state` (the result file's bytes and each row) with
  // `facts`. The new run's id, or nothing with `error` set (the history is left as it was).
  std::optional<std::int64_t> Add(const BenchmarkState& state, const RunFacts& facts,
                                  std::string& error);

  // Every run, newest first, with its facts but their details (facts.detailsJson stays empty:
  // Find gives them). Nothing with `error` set when the history cannot be read.
  std::optional<std::vector<RunSummary>> List(std::string& error);

  // The run `id`; nothing with `error` set when there is none ("no run N in FILE") or the
  // history cannot be read.
  std::optional<RunRecord> Find(std::int64_t id, std::string& error);

  // Deletes the run `id`; false with `error` set when there is none or it cannot be deleted.
  bool Delete(std::int64_t id, std::string& error);

  const std::filesystem::path& path() const { return path_; }

 private:
  HistoryStore(sqlite3* database, std::filesystem::path path);
  // `what` failed: the message for the user, from SQLite's reason.
  std::string Failure(const char* what) const;

  sqlite3* database_;
  std::filesystem::path path_;
};

}  // namespace quorvane

#include "history/HistoryStore.h"

#include <sqlite3.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <system_error>

#include "engine/Windows1252.h"
#include "report/ResultFile.h"

namespace quorvane {

namespace {

namespace fs = std::filesystem;

// "QVH1" in the header's application id: this program's histories.
constexpr std::uint32_t kApplicationId = 0x51564831;
constexpr int kBusyMilliseconds = 3000;  // how long a lock of another program is waited for
constexpr std::size_t kHeaderSize = 100;
constexpr std::size_t kFirstPageHeader = 8;         // the b-tree header of the schema's page
constexpr char kSqliteMagic[] = "SQLite format 3";  // and its NUL: 16 bytes

// The schema of each version, applied in order from the file's version to the current one.
constexpr std::array<const char*, kHistorySchemaVersion> kMigrations = {
    // 1: a compact table of runs for listings (each row's code and value in `scores`), and the
    // bytes of each run's result file and details in a table of their own.
    "CREATE TABLE runs ("
    "  id INTEGER PRIMARY KEY,"
    "  time_utc INTEGER NOT NULL,"
    "  machine_identity TEXT NOT NULL,"
    "  machine_name TEXT NOT NULL,"
    "  threads INTEGER NOT NULL,"
    "  long_tests INTEGER NOT NULL,"
    "  repetitions INTEGER NOT NULL,"
    "  steady INTEGER NOT NULL,"
    "  scores TEXT NOT NULL);"
    "CREATE TABLE run_files ("
    "  run_id INTEGER PRIMARY KEY REFERENCES runs(id) ON DELETE CASCADE,"
    "  result_file BLOB NOT NULL,"
    "  details_json TEXT NOT NULL);"
    "CREATE INDEX runs_by_machine ON runs(machine_identity, time_utc);",
};

std::uint32_t BigEndian32(const unsigned char* bytes) {
  return std::uint32_t{bytes[0]} << 24 | std::uint32_t{bytes[1]} << 16 |
         std::uint32_t{bytes[2]} << 8 | std::uint32_t{bytes[3]};
}

// A prepared statement, finalized when it goes.
class Statement {
 public:
  Statement(sqlite3* database, const char* sql) {
    if (sqlite3_prepare_v2(database, sql, -1, &statement_, nullptr) != SQLITE_OK) {
      sqlite3_finalize(statement_);
      statement_ = nullptr;
    }
  }
  ~Statement() { sqlite3_finalize(statement_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  bool ok() const { return statement_ != nullptr; }
  sqlite3_stmt* get() const { return statement_; }

 private:
  sqlite3_stmt* statement_ = nullptr;
};

// Runs `sql` (one or more statements without results); false on a failure.
bool Execute(sqlite3* database, const char* sql) {
  return sqlite3_exec(database, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

std::string ColumnText(sqlite3_stmt* statement, int column) {
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
  const auto length = static_cast<std::size_t>(sqlite3_column_bytes(statement, column));
  return text == nullptr ? std::string() : std::string(text, length);
}

// The rows of this machine's table as the `scores` column keeps them: "code:value" for each
// row, the code as its byte's number (a drive block's rows have a blank, a loaded file any
// byte), separated by commas.
std::string ScoresText(const ResultTable& results) {
  std::string text;
  for (const ResultEntry& entry : results) {
    if (entry.code == '\0') break;
    if (!text.empty()) text += ',';
    text += std::to_string(static_cast<unsigned char>(entry.code));
    text += ':';
    text += std::to_string(ReadUnsignedValue(ValueText(entry)));
  }
  return text;
}

// The rows of a `scores` column; what cannot be read ends them.
std::vector<RunScore> ScoresOf(const unsigned char* text) {
  std::vector<RunScore> scores;
  if (text == nullptr) return scores;
  const char* at = reinterpret_cast<const char*>(text);
  while (*at != '\0') {
    char* end = nullptr;
    const unsigned long code = std::strtoul(at, &end, 10);
    if (end == at || *end != ':' || code > 255) break;
    at = end + 1;
    const unsigned long long value = std::strtoull(at, &end, 10);
    if (end == at || value > UINT32_MAX) break;
    scores.push_back({static_cast<char>(code), static_cast<std::uint32_t>(value)});
    at = *end == ',' ? end + 1 : end;
  }
  return scores;
}

// The name a listing shows for this machine: brand and model, else the processor, as UTF-8.
std::string MachineName(const MachineDescription& machine) {
  std::string name(FieldText(machine.brand));
  const std::string_view model = FieldText(machine.model);
  if (!name.empty() && !model.empty()) name += ' ';
  name += model;
  return Windows1252ToUtf8(name.empty() ? FieldText(machine.cpu) : std::string_view(name));
}

// The columns of `runs` that a listing shows, in the order SummaryOf reads them.
constexpr const char* kRunColumns =
    "id, time_utc, machine_identity, machine_name, threads, long_tests, repetitions, steady, "
    "scores";

RunSummary SummaryOf(sqlite3_stmt* statement) {
  RunSummary run;
  run.id = sqlite3_column_int64(statement, 0);
  run.facts.timeUtc = sqlite3_column_int64(statement, 1);
  run.facts.machineIdentity = ColumnText(statement, 2);
  run.machineName = ColumnText(statement, 3);
  run.facts.threads = sqlite3_column_int(statement, 4);
  run.facts.longTests = sqlite3_column_int(statement, 5) != 0;
  run.facts.repetitions = sqlite3_column_int(statement, 6);
  run.facts.steady = sqlite3_column_int(statement, 7) != 0;
  run.scores = ScoresOf(sqlite3_column_text(statement, 8));
  return run;
}

}  // namespace

HistoryFileKind ClassifyHistoryFile(const fs::path& path) {
  std::error_code error;
  const fs::file_status status = fs::symlink_status(path, error);
  if (status.type() == fs::file_type::not_found) return HistoryFileKind::Absent;
  if (error || status.type() != fs::file_type::regular) return HistoryFileKind::Unreadable;
  std::ifstream file(path, std::ios::binary);
  if (!file) return HistoryFileKind::Unreadable;
  std::array<unsigned char, kHeaderSize + kFirstPageHeader> header{};
  file.read(reinterpret_cast<char*>(header.data()), header.size());
  const auto got = static_cast<std::size_t>(file.gcount());
  if (got == 0) return HistoryFileKind::Absent;  // an empty file is a database not yet made
  if (got < sizeof kSqliteMagic ||
      std::memcmp(header.data(), kSqliteMagic, sizeof kSqliteMagic) != 0) {
    return HistoryFileKind::Foreign;
  }
  // The fields SQLite itself checks before it reads a page: page size and payload fractions.
  const unsigned pageSize = unsigned{header[16]} << 8 | header[17];
  const bool pageSizeValid =
      pageSize == 1 || (pageSize >= 512 && pageSize <= 32768 && (pageSize & (pageSize - 1)) == 0);
  if (got < header.size() || !pageSizeValid || header[21] != 64 || header[22] != 32 ||
      header[23] != 32) {
    return HistoryFileKind::Damaged;
  }
  const std::uint32_t application = BigEndian32(&header[68]);
  const std::uint32_t version = BigEndian32(&header[60]);
  if (application != kApplicationId) {
    // A database that SQLite made but that holds nothing yet (a first start killed before its
    // schema was written) is ours to set up; anything in it makes it another program's.
    const unsigned schemaEntries = unsigned{header[kHeaderSize + 3]} << 8 | header[kHeaderSize + 4];
    const bool empty = version == 0 && schemaEntries == 0 && header[kHeaderSize] == 0x0D;
    return application == 0 && empty ? HistoryFileKind::Ours : HistoryFileKind::Foreign;
  }
  if (version > static_cast<std::uint32_t>(kHistorySchemaVersion)) return HistoryFileKind::Newer;
  // The header is ours: SQLite reads the schema without writing anything to find damage below it.
  sqlite3* database = nullptr;
  int result = sqlite3_open_v2(path.string().c_str(), &database,
                               SQLITE_OPEN_READONLY | SQLITE_OPEN_NOFOLLOW, nullptr);
  if (result == SQLITE_OK) {
    result =
        sqlite3_exec(database, "SELECT count(*) FROM sqlite_schema", nullptr, nullptr, nullptr);
  }
  sqlite3_close(database);
  return (result & 0xFF) == SQLITE_CORRUPT || (result & 0xFF) == SQLITE_NOTADB
             ? HistoryFileKind::Damaged
             : HistoryFileKind::Ours;
}

fs::path HistoryFileFor(const fs::path& path, std::string& note) {
  if (ClassifyHistoryFile(path) != HistoryFileKind::Damaged) return path;
  for (int number = 2; number < 100; ++number) {
    fs::path beside = path;
    beside.replace_filename(path.stem().string() + "." + std::to_string(number) +
                            path.extension().string());
    const HistoryFileKind kind = ClassifyHistoryFile(beside);
    if (kind == HistoryFileKind::Absent || kind == HistoryFileKind::Ours) {
      note = "the history " + path.string() +
             " is damaged; it is left as it is, and runs are "
             "recorded in " +
             beside.string();
      return beside;
    }
  }
  note = "the history " + path.string() + " is damaged; it is left as it is";
  return path;
}

std::unique_ptr<HistoryStore> HistoryStore::Open(const fs::path& path, bool create,
                                                 std::string& error) {
  const std::string name = path.string();
  switch (ClassifyHistoryFile(path)) {
    case HistoryFileKind::Absent:
      if (!create) {
        error = "no history in " + name + " yet";
        return nullptr;
      }
      break;
    case HistoryFileKind::Ours:
      break;
    case HistoryFileKind::Newer:
      error = name + " is the history of a newer version of this program; it is left as it is";
      return nullptr;
    case HistoryFileKind::Foreign:
      error = name + " is not a history of this program; it is left as it is";
      return nullptr;
    case HistoryFileKind::Damaged:
      error = "the history " + name + " is damaged; it is left as it is";
      return nullptr;
    case HistoryFileKind::Unreadable:
      error = "the history " + name + " cannot be read (not a regular file, or no permission)";
      return nullptr;
  }
  if (create && path.has_parent_path()) {
    std::error_code made;
    fs::create_directories(path.parent_path(), made);
  }
  sqlite3* database = nullptr;
  const int flags = (create ? SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE : SQLITE_OPEN_READWRITE) |
                    SQLITE_OPEN_NOFOLLOW | SQLITE_OPEN_FULLMUTEX;
  if (sqlite3_open_v2(name.c_str(), &database, flags, nullptr) != SQLITE_OK) {
    error = "the history " + name + " cannot be opened: " +
            (database != nullptr ? sqlite3_errmsg(database) : "out of memory");
    sqlite3_close(database);
    return nullptr;
  }
  std::unique_ptr<HistoryStore> store(new HistoryStore(database, path));
  sqlite3_busy_timeout(database, kBusyMilliseconds);
  sqlite3_extended_result_codes(database, 1);
  // The write-ahead log lets a second program read and wait its turn to write; where the
  // filesystem cannot keep one, the rollback journal stays.
  Execute(database, "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL; PRAGMA foreign_keys=ON;");

  Statement version(database, "PRAGMA user_version");
  if (!version.ok() || sqlite3_step(version.get()) != SQLITE_ROW) {
    error = store->Failure("read");
    return nullptr;
  }
  const bool outdated = sqlite3_column_int(version.get(), 0) < kHistorySchemaVersion;
  sqlite3_reset(version.get());  // no read left open under the write lock asked for next
  if (outdated) {
    // Brought up to this version in one transaction: all steps or none. The version is read
    // again under the write lock: another program may have set the history up meanwhile.
    bool migrated = Execute(database, "BEGIN IMMEDIATE");
    migrated = migrated && sqlite3_step(version.get()) == SQLITE_ROW;
    const int from = migrated ? sqlite3_column_int(version.get(), 0) : 0;
    sqlite3_reset(version.get());
    for (int step = from; migrated && step < kHistorySchemaVersion; ++step) {
      migrated = Execute(database, kMigrations[static_cast<std::size_t>(step)]);
    }
    const std::string stamp = "PRAGMA application_id=" + std::to_string(kApplicationId) +
                              "; PRAGMA user_version=" + std::to_string(kHistorySchemaVersion);
    migrated = migrated && Execute(database, stamp.c_str()) && Execute(database, "COMMIT");
    if (!migrated) {
      error = store->Failure("set up");
      Execute(database, "ROLLBACK");
      return nullptr;
    }
  }
  return store;
}

HistoryStore::HistoryStore(sqlite3* database, fs::path path)
    : database_(database), path_(std::move(path)) {}

HistoryStore::~HistoryStore() { sqlite3_close(database_); }

std::string HistoryStore::Failure(const char* what) const {
  const int code = sqlite3_errcode(database_) & 0xFF;
  std::string reason = sqlite3_errmsg(database_);
  if (code == SQLITE_BUSY || code == SQLITE_LOCKED) {
    reason = "another program holds it locked";
  } else if (code == SQLITE_CORRUPT || code == SQLITE_NOTADB) {
    reason = "it is damaged; it is left as it is";
  }
  return "the history " + path_.string() + " cannot be " + what + ": " + reason;
}

std::optional<std::int64_t> HistoryStore::Add(const BenchmarkState& state, const RunFacts& facts,
                                              std::string& error) {
  const std::string bytes = ResultFileBytes(state);
  const std::string name = MachineName(state.thisMachine);
  const std::string scores = ScoresText(state.thisResults);
  const std::string& details = facts.detailsJson.empty() ? std::string("{}") : facts.detailsJson;
  if (!Execute(database_, "BEGIN IMMEDIATE")) {
    error = Failure("written");
    return std::nullopt;
  }
  Statement run(database_,
                "INSERT INTO runs (time_utc, machine_identity, machine_name, threads, long_tests, "
                "repetitions, steady, scores) VALUES (?, ?, ?, ?, ?, ?, ?, ?)");
  bool written = run.ok();
  if (written) {
    sqlite3_stmt* s = run.get();
    sqlite3_bind_int64(s, 1, facts.timeUtc);
    sqlite3_bind_text(s, 2, facts.machineIdentity.c_str(), -1, SQLITE_STATIC);
    sqlite3_bind_text(s, 3, name.c_str(), -1, SQLITE_STATIC);
    sqlite3_bind_int(s, 4, facts.threads);
    sqlite3_bind_int(s, 5, facts.longTests ? 1 : 0);
    sqlite3_bind_int(s, 6, facts.repetitions);
    sqlite3_bind_int(s, 7, facts.steady ? 1 : 0);
    sqlite3_bind_text(s, 8, scores.c_str(), -1, SQLITE_STATIC);
    written = sqlite3_step(s) == SQLITE_DONE;
  }
  const std::int64_t id = sqlite3_last_insert_rowid(database_);
  Statement files(database_,
                  "INSERT INTO run_files (run_id, result_file, details_json) VALUES (?, ?, ?)");
  written = written && files.ok();
  if (written) {
    sqlite3_bind_int64(files.get(), 1, id);
    sqlite3_bind_blob(files.get(), 2, bytes.data(), static_cast<int>(bytes.size()), SQLITE_STATIC);
    sqlite3_bind_text(files.get(), 3, details.c_str(), -1, SQLITE_STATIC);
    written = sqlite3_step(files.get()) == SQLITE_DONE;
  }
  if (!written || !Execute(database_, "COMMIT")) {
    error = Failure("written");
    Execute(database_, "ROLLBACK");
    return std::nullopt;
  }
  return id;
}

std::optional<std::vector<RunSummary>> HistoryStore::List(std::string& error) {
  const std::string sql = std::string("SELECT ") + kRunColumns + " FROM runs ORDER BY id DESC";
  Statement runs(database_, sql.c_str());
  if (!runs.ok()) {
    error = Failure("read");
    return std::nullopt;
  }
  std::vector<RunSummary> list;
  int step = SQLITE_ROW;
  while ((step = sqlite3_step(runs.get())) == SQLITE_ROW) list.push_back(SummaryOf(runs.get()));
  if (step != SQLITE_DONE) {
    error = Failure("read");
    return std::nullopt;
  }
  return list;
}

std::optional<RunRecord> HistoryStore::Find(std::int64_t id, std::string& error) {
  const std::string sql = std::string("SELECT ") + kRunColumns +
                          ", details_json, result_file FROM runs JOIN run_files ON run_id = id "
                          "WHERE id = ?";
  Statement run(database_, sql.c_str());
  if (!run.ok()) {
    error = Failure("read");
    return std::nullopt;
  }
  sqlite3_bind_int64(run.get(), 1, id);
  const int found = sqlite3_step(run.get());
  if (found == SQLITE_DONE) {
    error = "no run " + std::to_string(id) + " in the history " + path_.string();
    return std::nullopt;
  }
  if (found != SQLITE_ROW) {
    error = Failure("read");
    return std::nullopt;
  }
  RunRecord record;
  record.summary = SummaryOf(run.get());
  record.summary.facts.detailsJson = ColumnText(run.get(), 9);
  const auto* blob = static_cast<const char*>(sqlite3_column_blob(run.get(), 10));
  record.resultFile.assign(blob == nullptr ? "" : blob,
                           static_cast<std::size_t>(sqlite3_column_bytes(run.get(), 10)));
  return record;
}

bool HistoryStore::Delete(std::int64_t id, std::string& error) {
  Statement remove(database_, "DELETE FROM runs WHERE id = ?");
  if (!remove.ok()) {
    error = Failure("changed");
    return false;
  }
  sqlite3_bind_int64(remove.get(), 1, id);
  if (sqlite3_step(remove.get()) != SQLITE_DONE) {
    error = Failure("changed");
    return false;
  }
  if (sqlite3_changes(database_) == 0) {
    error = "no run " + std::to_string(id) + " in the history " + path_.string();
    return false;
  }
  return true;
}

}  // namespace quorvane

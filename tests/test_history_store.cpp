// The history of runs: records that give back the result file's bytes, listings, deletion, two
// processes at once, a writer killed midway, and files that are not ours left as they were.
#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>

#include "history/HistoryLocation.h"
#include "history/HistoryRecording.h"
#include "history/HistoryStore.h"
#include "report/ResultFile.h"
#include "tests/temp_folder.h"

namespace quorvane {
namespace {

using test_support::FileBytes;
using test_support::TempFolder;

// This machine after a run: two tests, a drive block's first row, a described drive.
std::unique_ptr<BenchmarkState> FinishedRun(std::uint32_t dhrystone) {
  auto state = std::make_unique<BenchmarkState>();
  SetRow(state->thisResults[0], 'd', dhrystone);
  SetRow(state->thisResults[1], 'w', 4000000000u);  // above the signed range
  SetRow(state->thisResults[2], 'C', 812345);
  state->resultCount = 3;
  SetField(state->thisMachine.brand, "Caf\xE9 Systems");  // Windows-1252
  SetField(state->thisMachine.model, "Z1");
  SetField(state->thisMachine.threads, "2");
  SetField(state->thisDrives[0].letter, "C:");
  SetField(state->thisDrives[0].harddisk, "Disk One");
  SetField(state->otherMachine.brand, "not this machine's");
  return state;
}

RunFacts Facts(std::int64_t time) {
  RunFacts facts;
  facts.timeUtc = time;
  facts.machineIdentity = "3f2a";
  facts.threads = 2;
  facts.repetitions = 3;
  facts.detailsJson = R"({"environment":{"otherLoadPercent":1.5}})";
  return facts;
}

// Runs `sql` on the SQLite file at `path` outside the store (as another program would).
void RawSql(const std::filesystem::path& path, const char* sql) {
  sqlite3* database = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &database), SQLITE_OK);
  EXPECT_EQ(sqlite3_exec(database, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sql;
  sqlite3_close(database);
}

TEST(HistoryStore, RunsComeBackAsTheirResultFilesNewestFirstAndCanBeDeleted) {
  TempFolder folder;
  const auto path = folder.path() / "data/quorvane/history.sqlite3";  // folders made on the way
  std::string error;
  auto store = HistoryStore::Open(path, true, error);
  ASSERT_TRUE(store) << error;
  const auto first = FinishedRun(1234567);
  const auto second = FinishedRun(7654321);
  const std::optional<std::int64_t> firstId = store->Add(*first, Facts(1000), error);
  ASSERT_TRUE(firstId) << error;
  RunFacts quick = Facts(2000);
  quick.steady = false;
  quick.longTests = true;
  ASSERT_TRUE(store->Add(*second, quick, error)) << error;

  const auto list = store->List(error);
  ASSERT_TRUE(list) << error;
  ASSERT_EQ(list->size(), 2u);
  EXPECT_EQ((*list)[0].facts.timeUtc, 2000);
  EXPECT_FALSE((*list)[0].facts.steady);
  EXPECT_TRUE((*list)[0].facts.longTests);
  EXPECT_EQ((*list)[1].id, *firstId);
  EXPECT_EQ((*list)[1].machineName, "Caf\xC3\xA9 Systems Z1");
  EXPECT_EQ((*list)[1].facts.repetitions, 3);
  EXPECT_TRUE((*list)[1].facts.detailsJson.empty());  // a listing leaves the details out
  ASSERT_EQ((*list)[1].scores.size(), 3u);
  EXPECT_EQ((*list)[1].scores[0].value, 1234567u);
  EXPECT_EQ((*list)[1].scores[1].value, 4000000000u);
  EXPECT_EQ((*list)[1].scores[2].code, 'C');
  EXPECT_EQ((*list)[0].scores[0].value, 7654321u);

  // Loaded and saved again, a run gives the bytes that saving it after the run gave.
  const std::optional<RunRecord> record = store->Find(*firstId, error);
  ASSERT_TRUE(record) << error;
  EXPECT_EQ(record->resultFile, ResultFileBytes(*first));
  EXPECT_EQ(record->summary.facts.detailsJson, Facts(0).detailsJson);
  EXPECT_EQ(record->summary.scores.size(), 3u);
  BenchmarkState loaded;
  ASSERT_EQ(ReadResultBytes(loaded, FileTarget::ThisMachine, record->resultFile),
            FileOutcome::Done);
  EXPECT_EQ(ResultFileBytes(loaded), record->resultFile);

  EXPECT_FALSE(store->Find(99, error));
  EXPECT_NE(error.find("no run 99"), std::string::npos) << error;
  ASSERT_TRUE(store->Delete(*firstId, error)) << error;
  EXPECT_FALSE(store->Delete(*firstId, error));
  EXPECT_FALSE(store->Find(*firstId, error));
  ASSERT_EQ(store->List(error)->size(), 1u);
  store.reset();

  // The file bytes of a deleted run went with it; a store opened again sees what the first left.
  auto again = HistoryStore::Open(path, false, error);
  ASSERT_TRUE(again) << error;
  EXPECT_EQ(again->List(error)->front().scores.size(), 3u);
  sqlite3* database = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &database), SQLITE_OK);
  sqlite3_stmt* count = nullptr;
  sqlite3_prepare_v2(database, "SELECT count(*) FROM run_files", -1, &count, nullptr);
  ASSERT_EQ(sqlite3_step(count), SQLITE_ROW);
  EXPECT_EQ(sqlite3_column_int(count, 0), 1);
  sqlite3_finalize(count);
  sqlite3_close(database);
}

TEST(HistoryStore, FilesThatAreNotOurHistoryAreLeftByteForByte) {
  TempFolder folder;
  std::string error;
  EXPECT_FALSE(HistoryStore::Open(folder / "none.sqlite3", false, error));
  EXPECT_EQ(ClassifyHistoryFile(folder / "none.sqlite3"), HistoryFileKind::Absent);

  folder.File("text.sqlite3", "these are my notes, not a database\n");
  RawSql(folder / "other.sqlite3", "CREATE TABLE recipes (name TEXT)");
  RawSql(folder / "newer.sqlite3",
         "CREATE TABLE runs (id INTEGER); PRAGMA application_id=1364609073; PRAGMA user_version=9");
  std::string damaged = FileBytes(folder / "other.sqlite3");
  damaged.replace(16, 2, "\x00\x03", 2);  // a page size SQLite refuses
  damaged[68] = 'Q', damaged[69] = 'V', damaged[70] = 'H', damaged[71] = '1';
  folder.File("damaged.sqlite3", damaged);
  folder.Folder("folder.sqlite3");

  const std::pair<const char*, HistoryFileKind> cases[] = {
      {"text.sqlite3", HistoryFileKind::Foreign},
      {"other.sqlite3", HistoryFileKind::Foreign},
      {"newer.sqlite3", HistoryFileKind::Newer},
      {"damaged.sqlite3", HistoryFileKind::Damaged},
      {"folder.sqlite3", HistoryFileKind::Unreadable}};
  for (const auto& [name, kind] : cases) {
    const auto path = folder / name;
    const bool file = std::filesystem::is_regular_file(path);
    const std::string before = file ? FileBytes(path) : std::string();
    EXPECT_EQ(ClassifyHistoryFile(path), kind) << name;
    error.clear();
    EXPECT_FALSE(HistoryStore::Open(path, true, error)) << name;
    EXPECT_NE(error.find(path.string()), std::string::npos) << error;
    if (file) {
      EXPECT_TRUE(FileBytes(path) == before) << name << " was changed";
    }
  }
  EXPECT_EQ(folder.EntryCount(), 5u);  // no journal or log left beside them

  // Runs after a damaged history go to a file beside it; it stays as it was.
  std::string note;
  const auto beside = HistoryFileFor(folder / "damaged.sqlite3", note);
  EXPECT_EQ(beside, folder / "damaged.2.sqlite3");
  EXPECT_NE(note.find("left as it is"), std::string::npos) << note;
  auto store = HistoryStore::Open(beside, true, error);
  ASSERT_TRUE(store) << error;
  ASSERT_TRUE(store->Add(*FinishedRun(1), Facts(1), error)) << error;
  EXPECT_EQ(HistoryFileFor(folder / "damaged.sqlite3", note), beside);  // the same one next time
  EXPECT_TRUE(FileBytes(folder / "damaged.sqlite3") == damaged);
  note.clear();
  EXPECT_EQ(HistoryFileFor(beside, note), beside);
  EXPECT_TRUE(note.empty());
}

TEST(HistoryStore, AHistoryOfTheFirstVersionWrittenElsewhereIsRead) {
  TempFolder folder;
  const auto path = folder / "v1.sqlite3";
  // The first version's schema as its files hold it, with one run, written without the store.
  RawSql(path,
         "CREATE TABLE runs (id INTEGER PRIMARY KEY, time_utc INTEGER NOT NULL, machine_identity "
         "TEXT NOT NULL, machine_name TEXT NOT NULL, threads INTEGER NOT NULL, long_tests "
         "INTEGER NOT NULL, repetitions INTEGER NOT NULL, steady INTEGER NOT NULL, scores TEXT "
         "NOT NULL);"
         "CREATE TABLE run_files (run_id INTEGER PRIMARY KEY REFERENCES runs(id) ON DELETE "
         "CASCADE, result_file BLOB NOT NULL, details_json TEXT NOT NULL);"
         "INSERT INTO runs VALUES (7, 86400, 'id', 'Old PC', 4, 0, 1, 1, "
         "'113:123,67:9,32:4000000000');"
         "INSERT INTO run_files VALUES (7, x'0D0A', '{}');"
         "PRAGMA application_id=1364609073; PRAGMA user_version=1;");
  std::string error;
  auto store = HistoryStore::Open(path, true, error);
  ASSERT_TRUE(store) << error;
  const auto list = store->List(error);
  ASSERT_TRUE(list) << error;
  ASSERT_EQ(list->size(), 1u);
  EXPECT_EQ((*list)[0].machineName, "Old PC");
  EXPECT_EQ((*list)[0].facts.threads, 4);
  ASSERT_EQ((*list)[0].scores.size(), 3u);
  EXPECT_EQ((*list)[0].scores[0].code, 'q');
  EXPECT_EQ((*list)[0].scores[0].value, 123u);
  EXPECT_EQ((*list)[0].scores[2].code, ' ');
  EXPECT_EQ((*list)[0].scores[2].value, 4000000000u);
  EXPECT_EQ(store->Find(7, error)->resultFile, "\r\n");
  // A database that SQLite made but that never got a schema (a first start killed) is set up.
  RawSql(folder / "empty.sqlite3", "PRAGMA user_version=0; CREATE TABLE t(x); DROP TABLE t");
  EXPECT_EQ(ClassifyHistoryFile(folder / "empty.sqlite3"), HistoryFileKind::Ours);
  EXPECT_TRUE(HistoryStore::Open(folder / "empty.sqlite3", true, error)) << error;
}

// A child process that adds `runs` runs to the history at `path` and ends with status 0, or 1
// when one could not be added.
pid_t Recorder(const std::filesystem::path& path, int runs) {
  const pid_t child = fork();
  if (child != 0) return child;
  std::string error;
  auto store = HistoryStore::Open(path, true, error);
  for (int run = 0; store && run < runs; ++run) {
    if (!store->Add(*FinishedRun(static_cast<std::uint32_t>(run)), Facts(run), error)) break;
  }
  if (!error.empty()) std::fprintf(stderr, "recorder: %s\n", error.c_str());
  _exit(error.empty() ? 0 : 1);
}

TEST(HistoryStore, TwoProcessesRecordAtOnceAndAKilledWriterLosesNoEarlierRun) {
  TempFolder folder;
  const auto path = folder / "history.sqlite3";
  const pid_t first = Recorder(path, 25);
  const pid_t second = Recorder(path, 25);
  for (const pid_t child : {first, second}) {
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  std::string error;
  auto store = HistoryStore::Open(path, false, error);
  ASSERT_TRUE(store) << error;
  ASSERT_EQ(store->List(error)->size(), 50u);

  // A writer killed at any moment: every run it finished is there, and the file is whole.
  const pid_t killed = Recorder(path, 1000000);
  while (store->List(error)->size() < 60u) usleep(1000);
  kill(killed, SIGKILL);
  waitpid(killed, nullptr, 0);
  store.reset();
  auto after = HistoryStore::Open(path, true, error);
  ASSERT_TRUE(after) << error;
  const auto list = after->List(error);
  ASSERT_TRUE(list) << error;
  EXPECT_GE(list->size(), 60u);
  for (const RunSummary& run : *list) EXPECT_EQ(run.scores.size(), 3u) << run.id;
  EXPECT_TRUE(after->Add(*FinishedRun(5), Facts(5), error)) << error;
  sqlite3* database = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &database), SQLITE_OK);
  sqlite3_stmt* check = nullptr;
  sqlite3_prepare_v2(database, "PRAGMA integrity_check", -1, &check, nullptr);
  ASSERT_EQ(sqlite3_step(check), SQLITE_ROW);
  EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(check, 0)), "ok");
  sqlite3_finalize(check);
  sqlite3_close(database);
}

}  // namespace
}  // namespace quorvane

namespace quorvane {
namespace {

TEST(HistoryLocation, TheChosenFileThenTheDataFolderThenHome) {
  std::map<std::string, std::string> variables;
  const EnvironmentLookup lookup = [&variables](const char* name) -> std::optional<std::string> {
    const auto found = variables.find(name);
    return found == variables.end() ? std::nullopt : std::optional<std::string>(found->second);
  };
  EXPECT_TRUE(DefaultHistoryPath(lookup).empty());
  variables["HOME"] = "/home/ann";
  EXPECT_EQ(DefaultHistoryPath(lookup), "/home/ann/.local/share/quorvane/history.sqlite3");
  variables["XDG_DATA_HOME"] = "relative/data";  // not absolute: ignored
  EXPECT_EQ(DefaultHistoryPath(lookup), "/home/ann/.local/share/quorvane/history.sqlite3");
  variables["XDG_DATA_HOME"] = "/data";
  EXPECT_EQ(DefaultHistoryPath(lookup), "/data/quorvane/history.sqlite3");
  variables["QUORVANE_HISTORY"] = "";  // set but empty: as if not set
  EXPECT_EQ(DefaultHistoryPath(lookup), "/data/quorvane/history.sqlite3");
  variables["QUORVANE_HISTORY"] = "runs.db";
  EXPECT_EQ(DefaultHistoryPath(lookup), "runs.db");
}

TEST(HistoryRecording, AHistoryThatCannotTakeTheRunCostsOneLineAndADamagedOneIsPassedBy) {
  TempFolder folder;
  const auto state = FinishedRun(42);
  // Below a regular file no folder can be made.
  folder.File("plain", "x");
  RecordingOutcome outcome = RecordRun(folder / "plain" / "history.sqlite3", *state, Facts(1));
  EXPECT_FALSE(outcome.id);
  EXPECT_NE(outcome.warning.find("not recorded"), std::string::npos) << outcome.warning;
  EXPECT_EQ(outcome.warning.find('\n'), std::string::npos);

  // Another program holding the history locked: the run waits a few seconds, then goes on.
  const auto path = folder / "history.sqlite3";
  ASSERT_TRUE(RecordRun(path, *state, Facts(2)).id);
  sqlite3* other = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &other), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
  outcome = RecordRun(path, *state, Facts(3));
  EXPECT_FALSE(outcome.id);
  EXPECT_NE(outcome.warning.find("another program holds it locked"), std::string::npos)
      << outcome.warning;
  sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
  sqlite3_close(other);
  EXPECT_TRUE(RecordRun(path, *state, Facts(4)).id);

  // A damaged history stays as it is; the runs go beside it, with a note each time.
  std::string damaged = FileBytes(path);
  damaged[21] = 0;  // a payload fraction SQLite refuses
  folder.File("damaged.sqlite3", damaged);
  outcome = RecordRun(folder / "damaged.sqlite3", *state, Facts(5));
  EXPECT_TRUE(outcome.id);
  EXPECT_NE(outcome.warning.find((folder / "damaged.2.sqlite3").string()), std::string::npos)
      << outcome.warning;
  EXPECT_TRUE(FileBytes(folder / "damaged.sqlite3") == damaged);
}

}  // namespace
}  // namespace quorvane

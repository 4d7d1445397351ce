// quorvane-cli and the history of runs: finished runs recorded and listed, a recorded run loaded,
// compared and saved as the file saved right after it, runs deleted, bad ids and bad usage in
// one line, a history that is not ours left byte for byte while the run goes on, and two
// programs recording at once.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "history/HistoryStore.h"
#include "report/ResultFile.h"
#include "tests/cli_invoke.h"
#include "tests/temp_folder.h"

namespace quorvane {
namespace {

namespace fs = std::filesystem;
using test_support::CliRun;
using test_support::FileBytes;
using test_support::Invoke;
using test_support::InvokeRecording;
using test_support::Lines;
using test_support::TempFolder;

// One quick run of `tests` (Eight queens unless others are named) with `threads` threads and
// the options after, recorded in `history`.
CliRun QueensRun(const std::string& history, const char* threads,
                 std::vector<const char*> more = {}, const char* tests = "queens") {
  std::vector<const char*> args = {"-q",    "--quick",        "-t",
                                   tests,   "--no-realtime",  "-j",
                                   threads, "--history-file", history.c_str()};
  args.insert(args.end(), more.begin(), more.end());
  return InvokeRecording(args);
}

TEST(HistoryCli, TwoRunsAreListedAndTheFirstComesBackAsTheFileSavedAfterIt) {
  TempFolder folder;
  const std::string history = folder / "runs.sqlite3";
  const std::string first = folder / "first.qv3", second = folder / "second.qv3";
  // The first machine's description is empty but for its OS and threads.
  CliRun run = QueensRun(history, "1", {"--no-detect", "--set", "os=One", "--save", first.c_str()});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  run = QueensRun(history, "2",
                  {"--no-detect", "--set", "brand=Acme", "--long", "--save", second.c_str()},
                  "queens,fpu");
  ASSERT_EQ(run.status, 0) << run.err;

  const CliRun listed = InvokeRecording({"--history", "--json", "--history-file", history.c_str()});
  ASSERT_EQ(listed.status, 0) << listed.err;
  const nlohmann::json runs = nlohmann::json::parse(listed.out);
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_EQ(runs[0]["threads"], 2);  // newest first
  EXPECT_EQ(runs[0]["longTests"], true);
  EXPECT_EQ(runs[1]["threads"], 1);
  EXPECT_EQ(runs[1]["measurement"], "quick");
  EXPECT_GT(runs[0]["id"].get<int>(), runs[1]["id"].get<int>());
  // Each run's scores are the rows of the file saved after it, in the shape of --json.
  const std::pair<const nlohmann::json&, const std::string&> saved[] = {{runs[1], first},
                                                                        {runs[0], second}};
  for (const auto& [listedRun, file] : saved) {
    const CliRun loaded = Invoke({"--load", file.c_str(), "--json"});
    ASSERT_EQ(loaded.status, 0) << loaded.err;
    EXPECT_EQ(listedRun["results"], nlohmann::json::parse(loaded.out)["results"]) << file;
  }
  EXPECT_EQ(runs[0]["results"].size(), 2u);

  // The text listing: one line a run, the newest first.
  const CliRun text = InvokeRecording({"--history", "--history-file", history.c_str()});
  ASSERT_EQ(text.status, 0) << text.err;
  const std::vector<std::string> lines = Lines(text.out);
  ASSERT_EQ(lines.size(), 2u);
  const std::string secondId = std::to_string(runs[0]["id"].get<int>());
  const std::string queens = std::to_string(runs[0]["results"][0]["value"].get<std::uint32_t>());
  EXPECT_EQ(lines[0].rfind(secondId + "  ", 0), 0u) << lines[0];
  EXPECT_NE(lines[0].find("  Acme  2 threads, quick, long:  queens " + queens + ", fpu "),
            std::string::npos)
      << lines[0];
  EXPECT_NE(lines[1].find("  (no name)  1 thread, quick:  queens "), std::string::npos) << lines[1];

  // The details recorded beside the first run's file: its rows and the environment with the
  // build stamp, as --json gives them.
  {
    std::string error;
    const auto store = HistoryStore::Open(history, false, error);
    ASSERT_TRUE(store) << error;
    const auto record = store->Find(runs[1]["id"].get<int>(), error);
    ASSERT_TRUE(record) << error;
    const nlohmann::json details = nlohmann::json::parse(record->summary.facts.detailsJson);
    EXPECT_EQ(details["results"], runs[1]["results"]);
    EXPECT_EQ(details["environment"]["otherLoadPercent"], 0.0);
    EXPECT_FALSE(details["environment"]["build"]["version"].get<std::string>().empty());
    EXPECT_FALSE(details.contains("measurement"));  // a quick run
    EXPECT_EQ(record->resultFile, FileBytes(first));
  }

  // Loaded and saved again, the first run writes the bytes its own --save wrote.
  const std::string id = std::to_string(runs[1]["id"].get<int>());
  const std::string again = folder / "again.qv3";
  run = InvokeRecording(
      {"--load-run", id.c_str(), "--save", again.c_str(), "--history-file", history.c_str()});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(FileBytes(again) == FileBytes(first));
  // Changed on the way, it is saved as any loaded result is.
  run = InvokeRecording({"--load-run", id.c_str(), "--set", "brand=Zed", "--save", again.c_str(),
                         "--history-file", history.c_str()});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(FileBytes(again).find("\r\nZed\r\n"), std::string::npos);

  // --load-run and --compare-run show what --load and --compare of the saved file show.
  const CliRun fromRun =
      InvokeRecording({"--load-run", id.c_str(), "--history-file", history.c_str()});
  const CliRun fromFile = Invoke({"--load", first.c_str()});
  ASSERT_EQ(fromRun.status, 0) << fromRun.err;
  EXPECT_EQ(fromRun.out, fromFile.out);
  const CliRun comparedRun = InvokeRecording(
      {"--load", second.c_str(), "--compare-run", id.c_str(), "--history-file", history.c_str()});
  const CliRun comparedFile = Invoke({"--load", second.c_str(), "--compare", first.c_str()});
  ASSERT_EQ(comparedRun.status, 0) << comparedRun.err;
  EXPECT_EQ(comparedRun.out, comparedFile.out);
  EXPECT_NE(comparedRun.out.find("Eight queens problem"), std::string::npos);
  // Loading runs nothing, so nothing more was recorded.
  EXPECT_EQ(Lines(InvokeRecording({"--history", "--history-file", history.c_str()}).out).size(),
            2u);
}

TEST(HistoryCli, DeletedRunsBadIdsAndBadUsageAreOneLine) {
  TempFolder folder;
  const std::string history = folder / "runs.sqlite3";
  const std::string file = history;
  ASSERT_EQ(QueensRun(history, "1").status, 0);
  const nlohmann::json runs = nlohmann::json::parse(
      InvokeRecording({"--history", "--json", "--history-file", history.c_str()}).out);
  ASSERT_EQ(runs.size(), 1u);
  const std::string id = std::to_string(runs[0]["id"].get<int>());
  const std::string none = "quorvane-cli: no run " + id + " in the history " + history + "\n";

  CliRun run = InvokeRecording({"--delete-run", id.c_str(), "--history-file", history.c_str()});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  for (const char* option : {"--delete-run", "--load-run", "--compare-run"}) {
    run = InvokeRecording({option, id.c_str(), "--history-file", history.c_str()});
    EXPECT_EQ(run.status, 2) << option;
    EXPECT_EQ(run.err, none) << option;
    EXPECT_EQ(run.out, "") << option;
  }
  EXPECT_EQ(InvokeRecording({"--history", "--history-file", history.c_str()}).out, "");

  // Bad usage, named in one line: not an id, --load-run with --load, --compare-run with
  // --compare, listing and deleting at once, a save over the history.
  const std::vector<std::vector<const char*>> bad = {
      {"--load-run", "x1"},
      {"--delete-run", "0"},
      {"--compare-run", "-3"},
      {"--load-run", "1", "--load", "a.qv3"},
      {"--compare-run", "1", "--compare", "a.qv3"},
      {"--history", "--delete-run", "1"},
      {"--load-run", "1", "--sweep", "-t", "queens"},
      {"--load-run", "1", "--save", file.c_str(), "--history-file", history.c_str()}};
  for (const auto& words : bad) {
    run = InvokeRecording(words);
    EXPECT_EQ(run.status, 2) << words[0] << " " << words[1];
    EXPECT_EQ(run.err.rfind("quorvane-cli: ", 0), 0u) << run.err;
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
  }
  EXPECT_EQ(InvokeRecording(bad[3]).err, "quorvane-cli: --load excludes --load-run\n");
  EXPECT_EQ(InvokeRecording(bad[4]).err, "quorvane-cli: --compare excludes --compare-run\n");

  // A history that does not exist is a file that cannot be read: exit 1, and it is not made.
  const std::string missing = folder / "missing/runs.sqlite3";
  for (const std::vector<const char*>& words :
       {std::vector<const char*>{"--history"}, {"--load-run", "1"}, {"--delete-run", "1"}}) {
    std::vector<const char*> args = words;
    args.insert(args.end(), {"--history-file", missing.c_str()});
    run = InvokeRecording(args);
    EXPECT_EQ(run.status, 1) << words[0];
    EXPECT_EQ(run.err, "quorvane-cli: no history in " + missing + " yet\n");
  }
  EXPECT_FALSE(fs::exists(folder / "missing"));
}

TEST(HistoryCli, AHistoryThatIsNotOursCostsOneWarningAndStaysByteForByte) {
  TempFolder folder;
  // Another program's file: the run and its report go on, nothing is recorded.
  const std::string notes = folder / "notes.sqlite3";
  folder.File("notes.sqlite3", "my notes\n");
  CliRun run = QueensRun(notes, "1");
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.out.find("Eight queens problem"), std::string::npos) << run.out;
  EXPECT_EQ(run.err, "quorvane-cli: warning: the run was not recorded: " + notes +
                         " is not a history of this program; it is left as it is\n");
  EXPECT_EQ(FileBytes(notes), "my notes\n");
  EXPECT_EQ(folder.EntryCount(), 1u);
  run = InvokeRecording({"--history", "--history-file", notes.c_str()});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err,
            "quorvane-cli: " + notes + " is not a history of this program; it is left as it is\n");

  // A damaged history: left as it is, the runs recorded beside it, and read from there.
  const std::string history = folder / "runs.sqlite3";
  ASSERT_EQ(QueensRun(history, "1").status, 0);
  std::string damaged = FileBytes(history);
  ASSERT_GT(damaged.size(), 100u);
  damaged.replace(16, 2, "\x00\x03", 2);  // a page size SQLite refuses
  folder.File("runs.sqlite3", damaged);
  run = QueensRun(history, "2");
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.out.find("Eight queens problem"), std::string::npos) << run.out;
  const std::string beside = folder / "runs.2.sqlite3";
  const std::string note = "the history " + history +
                           " is damaged; it is left as it is, and runs are recorded in " + beside;
  EXPECT_EQ(run.err, "quorvane-cli: warning: " + note + "\n");
  EXPECT_TRUE(FileBytes(history) == damaged);
  run = InvokeRecording({"--history", "--json", "--history-file", history.c_str()});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "quorvane-cli: warning: " + note + "\n");
  const nlohmann::json runs = nlohmann::json::parse(run.out);
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0]["threads"], 2);
  EXPECT_TRUE(FileBytes(history) == damaged);

  // --no-history records nothing anywhere.
  const std::string unused = folder / "unused.sqlite3";
  run = QueensRun(unused, "1", {"--no-history"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "");
  EXPECT_FALSE(fs::exists(unused));
}

TEST(HistoryCli, TwoProgramsRunningAtOnceBothRecordInTheHistoryTheEnvironmentNames) {
  TempFolder folder;
  const std::string history = folder / "shared/runs.sqlite3";
  const std::string base = "cd '" + folder.path().string() + "' || exit 1; ";
  const std::string one = "QUORVANE_HISTORY='" + history +
                          "' " QUORVANE_CLI_PATH " -q --quick -t queens -j 1 --no-realtime";
  // Both started before either ends; each one's status and stderr kept in a file.
  const std::string both = base + "(" + one + " >/dev/null 2>err1; echo $? >status1) & (" + one +
                           " >/dev/null 2>err2; echo $? >status2) & wait";
  ASSERT_EQ(std::system(both.c_str()), 0);
  for (const char* name : {"status1", "status2"}) EXPECT_EQ(FileBytes(folder / name), "0\n");
  // Neither was kept from recording (a busy machine may add its own warnings).
  for (const char* name : {"err1", "err2"}) {
    EXPECT_EQ(FileBytes(folder / name).find("history"), std::string::npos) << name;
    EXPECT_EQ(FileBytes(folder / name).find("not recorded"), std::string::npos) << name;
  }
  const CliRun listed = InvokeRecording({"--history", "--json", "--history-file", history.c_str()});
  ASSERT_EQ(listed.status, 0) << listed.err;
  const nlohmann::json runs = nlohmann::json::parse(listed.out);
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_NE(runs[0]["id"], runs[1]["id"]);
  for (const nlohmann::json& recorded : runs) EXPECT_EQ(recorded["results"][0]["code"], "q");
}

}  // namespace
}  // namespace quorvane

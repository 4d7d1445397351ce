// The command line of quorvane-cli: what the user asked for, or why the words are not usable.
// Parsing only; nothing runs here.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "engine/ResultStore.h"
#include "engine/TestSelection.h"
#include "report/FieldNames.h"

namespace quorvane {

struct CliOptions {
  std::vector<TestId> tests;  // empty: none named
  std::vector<char> drives;   // 'C'..'Z', in the order given
  bool listDrives = false;
  std::optional<int> threads;  // kMinThreads..kMaxThreads; unset: processors online
  bool longTests = false;
  bool quick = false;  // the fixed work in one interval per test
  bool noRealtime = false;
  std::vector<std::pair<int, std::string>>
      fields;             // (index into kMachineFields, Windows-1252 text)
  bool noDetect = false;  // this machine's description starts empty, not detected
  bool description = false;
  bool json = false;
  bool quiet = false;
  bool sweep = false;                   // the processor and memory tests at 1, 2, 4, ... threads
  int repeat = 1;                       // 1..99 runs of the selection; files hold medians
  std::optional<std::string> load;      // this machine's results and description
  std::optional<std::string> compare;   // the comparison machine
  std::optional<std::string> save;      // written after the run, if any
  std::optional<std::string> exportTo;  // the report text
  std::optional<std::string> html;      // the web page of the run
  // The history of runs.
  bool history = false;                    // list the runs, then exit
  bool noHistory = false;                  // record nothing
  std::optional<std::string> historyFile;  // unset: the default history
  std::optional<int> loadRun;              // a run's result file as with --load
  std::optional<int> compareRun;           // a run's result file as with --compare
  std::optional<int> deleteRun;            // deleted, then exit
};

// The outcome of parsing: options to act on, or text to print and an exit status
// (help and version: 0 on stdout; bad usage: 2 with a one-line message on stderr).
struct CliParse {
  std::optional<CliOptions> options;
  int exitStatus = 0;
  std::string output;  // for stdout
  std::string error;   // one line for stderr
};

CliParse ParseCommandLine(int argc, const char* const argv[]);

// Whether `options` run any test: a sweep, tests or drives named, or neither a file or a run
// of the history loaded nor only the description asked for.
bool RunsTests(const CliOptions& options);

// The default thread count: processors online, at most kMaxThreads.
int DefaultThreadCount();

// One entry of the option table: its names ("-t", "--tests") and the name of its value in
// --help (LIST, LETTER, FIELD=TEXT, FILE, ...; empty for a flag).
struct OptionInfo {
  std::vector<std::string> names;
  std::string valueName;
};

// Every option that ParseCommandLine knows, --help and --version included, in --help order.
std::vector<OptionInfo> OptionTable();

// The words a --tests list is made of: the test names and "all".
std::vector<std::string> TestListWords();

}  // namespace quorvane

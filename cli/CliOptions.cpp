#include "cli/CliOptions.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cctype>
#include <limits>
#include <thread>

#include "engine/TestTable.h"
#include "engine/Windows1252.h"
#include "engine/Workers.h"
#include "generated/Version.h"

namespace quorvane {

namespace {

// The --tests words of every test, or their codes, joined by `separator`.
std::string JoinTestWords(std::string_view separator, bool codes) {
  std::string joined;
  for (const TestInfo& test : kTestTable) {
    if (!joined.empty()) joined += separator;
    if (codes) {
      joined += test.code;
    } else {
      joined += test.cliName;
    }
  }
  return joined;
}

std::string Trim(std::string text) {
  const auto first = text.find_first_not_of(" \t");
  const auto last = text.find_last_not_of(" \t");
  return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

// Turns the --tests list into tests in run order; an error text when a name is unknown.
std::string ParseTestList(const std::string& list, std::vector<TestId>& tests) {
  std::vector<bool> chosen(kTestCount, false);
  std::size_t begin = 0;
  while (begin <= list.size()) {
    const std::size_t end = std::min(list.find(',', begin), list.size());
    const std::string word = Trim(list.substr(begin, end - begin));
    begin = end + 1;
    if (word == "all") {
      std::fill(chosen.begin(), chosen.end(), true);
      continue;
    }
    const auto match = std::find_if(kTestTable.begin(), kTestTable.end(), [&](const TestInfo& t) {
      return t.cliName == word || (word.size() == 1 && t.code == word[0]);
    });
    if (match == kTestTable.end()) {
      return "--tests: unknown test '" + word + "' (choose from " + JoinTestWords(", ", false) +
             ", all)";
    }
    chosen[static_cast<std::size_t>(match->id)] = true;
  }
  for (TestId test : kAllTests) {
    if (chosen[static_cast<std::size_t>(test)]) tests.push_back(test);
  }
  return {};
}

// Turns FIELD=TEXT into a field assignment; an error text when FIELD is unknown.
std::string ParseField(const std::string& assignment, CliOptions& options) {
  const auto equals = assignment.find('=');
  const std::string name = assignment.substr(0, equals);
  const auto found = std::find(kFieldOptionNames.begin(), kFieldOptionNames.end(), name);
  if (equals == std::string::npos || found == kFieldOptionNames.end() || name == "threads") {
    return "--set: expected FIELD=TEXT with FIELD one of brand, model, motherboard, cpu, "
           "internal-clock, external-clock, cache-size, cache-type, ram-size, ram-type, "
           "ram-speed, os, cpus (not '" +
           assignment + "')";
  }
  // The argument is UTF-8; the store holds Windows-1252, cut at 63 characters when stored.
  std::string bytes;
  const FieldTextProblem problem =
      ToFieldBytes(std::string_view(assignment).substr(equals + 1), bytes);
  if (problem != FieldTextProblem::None) return "--set: " + FieldTextMessage(name, problem);
  options.fields.emplace_back(static_cast<int>(found - kFieldOptionNames.begin()),
                              std::move(bytes));
  return {};
}

// A number option's check, made on the word before it is converted: decimal digits only (no
// sign, space, base prefix, point or exponent), "Value X is not a number" otherwise, and "Value X
// not in range MIN to MAX" for digits outside the range. The word is handed on without leading
// zeros, so that the conversion cannot take "010" for an octal number.
CLI::Validator DecimalNumber(int lowest, int highest) {
  return CLI::Validator(
      [lowest, highest](std::string& word) -> std::string {
        const bool digits =
            !word.empty() && word.find_first_not_of("0123456789") == std::string::npos;
        if (!digits) return "Value " + word + " is not a number";
        const std::size_t first = std::min(word.find_first_not_of('0'), word.size() - 1);
        const std::string significant = word.substr(first);
        const std::string highestText = std::to_string(highest);
        const bool above = significant.size() > highestText.size() ||
                           (significant.size() == highestText.size() && significant > highestText);
        if (above || std::stoi(significant) < lowest) {
          return "Value " + word + " not in range " + std::to_string(lowest) + " to " + highestText;
        }
        word = significant;
        return {};
      },
      "");
}

// The words of the command line that are checked after parsing.
struct CommandLineWords {
  std::string testList;
  std::vector<std::string> assignments;
  std::vector<std::string> driveWords;
};

// The options of the history of runs; a run's number is its ID in the --history listing.
void DescribeHistoryOptions(CLI::App& app, CliOptions& options) {
  const auto runId = [&app](const char* name, std::optional<int>& value, const char* text) {
    return app.add_option(name, value, text)
        ->type_name("ID")
        ->transform(DecimalNumber(1, std::numeric_limits<int>::max()));
  };
  CLI::Option* list = app.add_flag(
      "--history", options.history,
      "list the runs recorded in the history (id, local date and time, machine, threads, each "
      "test's score; with --json as an array), then exit");
  CLI::Option* loadRun =
      runId("--load-run", options.loadRun,
            "read run ID of the history as this machine's results and description, as --load "
            "reads the file saved right after that run");
  CLI::Option* compareRun = runId("--compare-run", options.compareRun,
                                  "read run ID of the history as the comparison machine");
  CLI::Option* deleteRun =
      runId("--delete-run", options.deleteRun, "delete run ID from the history, then exit");
  app.add_option("--history-file", options.historyFile,
                 "the history of runs to record in and read (default: the file that "
                 "QUORVANE_HISTORY names, else $XDG_DATA_HOME/quorvane/history.sqlite3, "
                 "~/.local/share/quorvane/history.sqlite3 without XDG_DATA_HOME)")
      ->type_name("FILE");
  app.add_flag("--no-history", options.noHistory,
               "do not record this run in the history (every finished run is recorded "
               "otherwise)");
  loadRun->excludes(app.get_option("--load"));
  compareRun->excludes(app.get_option("--compare"));
  list->excludes(deleteRun);
}

// The option table: every option, its value's name in --help and where its value goes. The value
// names LIST, LETTER, FIELD=TEXT and FILE also tell the shell completion what to offer.
void DescribeOptions(CLI::App& app, CliOptions& options, CommandLineWords& words) {
  app.set_version_flag("-V,--version", std::string("quorvane-cli ") + QUORVANE_VERSION);
  app.add_option("-t,--tests", words.testList,
                 "comma-separated list of " + JoinTestWords(", ", false) + ", all (the codes " +
                     JoinTestWords(", ", true) + " are accepted too)")
      ->type_name("LIST");
  app.add_option("-d,--drive", words.driveWords,
                 "disk throughput test on drive LETTER (C..Z); may be repeated")
      ->type_name("LETTER")
      ->allow_extra_args(false);
  app.add_flag("--list-drives", options.listDrives,
               "print every available drive letter with its directory, then exit");
  const std::string highest = std::to_string(kMaxThreads);
  app.add_option("-j,--threads", options.threads,
                 "worker threads, " + std::to_string(kMinThreads) + ".." + highest +
                     " (default: processors online, at most " + highest + ")")
      ->type_name("N")
      ->transform(DecimalNumber(kMinThreads, kMaxThreads));
  app.add_flag("--long", options.longTests, "long tests (LengthFactor 4)");
  app.add_flag("--quick", options.quick,
               "quick tests: each test's fixed work timed once, instead of sized to last a second "
               "and measured in rounds until they agree");
  app.add_option("--repeat", options.repeat,
                 "run the selection N times, 1..99: the report, --save and --export hold each "
                 "row's median; a spread table goes to stderr")
      ->type_name("N")
      ->transform(DecimalNumber(1, 99));
  app.add_flag("--no-realtime", options.noRealtime,
               "do not raise the scheduling priority during the run");
  app.add_option("--set", words.assignments,
                 "set a machine description field (brand, model, motherboard, cpu, "
                 "internal-clock, external-clock, cache-size, cache-type, ram-size, ram-type, "
                 "ram-speed, os, cpus); may be repeated")
      ->type_name("FIELD=TEXT")
      ->allow_extra_args(false);
  app.add_flag("--no-detect", options.noDetect,
               "start this machine's description empty instead of detecting it");
  app.add_flag("--description", options.description,
               "report the description view instead of the results view (with nothing to run: "
               "this machine's description)");
  app.add_flag("--json", options.json, "print the results as JSON instead of the report");
  app.add_flag("-q,--quiet", options.quiet, "no progress on stderr");
  app.add_flag("--sweep", options.sweep,
               "run the processor and memory tests with 1, 2, 4, ... threads up to --threads "
               "and print each test's score, speed-up and efficiency");
  app.add_option("--load", options.load, "read FILE as this machine's results and description")
      ->type_name("FILE");
  app.add_option("--compare", options.compare, "read FILE as the comparison machine")
      ->type_name("FILE");
  app.add_option("--save", options.save,
                 "write this machine's results and description (after the run, if any); "
                 "'-': to standard output")
      ->type_name("FILE");
  app.add_option("--export", options.exportTo,
                 "write the report text to FILE (the same bytes the desktop program exports); "
                 "'-': to standard output")
      ->type_name("FILE");
  app.add_option("--html", options.html,
                 "write the results as a web page to FILE (one HTML file that loads nothing "
                 "and runs no script, written after the run like --export); '-': to standard "
                 "output")
      ->type_name("FILE");
  DescribeHistoryOptions(app, options);
}

constexpr const char* kProgramSummary =
    "Quorvane: processor, memory and disk benchmark of this computer";

}  // namespace

bool RunsTests(const CliOptions& options) {
  return options.sweep || !options.tests.empty() || !options.drives.empty() ||
         (!options.load && !options.loadRun && !options.description);
}

int DefaultThreadCount() {
  const unsigned online = std::thread::hardware_concurrency();
  return static_cast<int>(
      std::clamp(online, static_cast<unsigned>(kMinThreads), static_cast<unsigned>(kMaxThreads)));
}

std::vector<OptionInfo> OptionTable() {
  CLI::App app{kProgramSummary, "quorvane-cli"};
  CliOptions options;
  CommandLineWords words;
  DescribeOptions(app, options, words);
  std::vector<OptionInfo> table;
  for (const CLI::Option* option : app.get_options()) {
    OptionInfo info;
    for (const std::string& name : option->get_snames()) info.names.push_back("-" + name);
    for (const std::string& name : option->get_lnames()) info.names.push_back("--" + name);
    if (option->get_type_size_max() > 0) info.valueName = option->get_type_name();
    table.push_back(info);
  }
  return table;
}

std::vector<std::string> TestListWords() {
  std::vector<std::string> names;
  for (const TestInfo& test : kTestTable) names.emplace_back(test.cliName);
  names.emplace_back("all");
  return names;
}

CliParse ParseCommandLine(int argc, const char* const argv[]) {
  CLI::App app{kProgramSummary, "quorvane-cli"};
  CliOptions options;
  CommandLineWords words;
  DescribeOptions(app, options, words);

  CliParse result;
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp&) {
    result.output = app.help();
    return result;
  } catch (const CLI::CallForVersion& e) {
    result.output = std::string(e.what()) + "\n";
    return result;
  } catch (const CLI::ParseError& e) {
    result.exitStatus = 2;
    result.error = e.what();
    std::replace(result.error.begin(), result.error.end(), '\n', ' ');
    return result;
  }

  std::string problem;
  if (!words.testList.empty() || app.count("--tests") > 0)
    problem = ParseTestList(words.testList, options.tests);
  for (const std::string& assignment : words.assignments) {
    if (problem.empty()) problem = ParseField(assignment, options);
  }
  for (const std::string& word : words.driveWords) {
    const char letter = word.size() == 1
                            ? static_cast<char>(std::toupper(static_cast<unsigned char>(word[0])))
                            : '\0';
    if (letter < 'C' || letter > 'Z') {
      if (problem.empty()) problem = "--drive: '" + word + "' is not a drive letter from C to Z";
    } else if (std::find(options.drives.begin(), options.drives.end(), letter) ==
               options.drives.end()) {
      options.drives.push_back(letter);
    }
  }
  if (problem.empty() && options.sweep) {
    if (options.repeat != 1) {
      problem = "--repeat cannot be used with --sweep";
    } else if (options.load || options.loadRun) {
      problem = std::string("--sweep measures this machine anew and cannot be used with ") +
                (options.load ? "--load" : "--load-run");
    } else if (options.tests.empty() && !options.drives.empty()) {
      problem = "--sweep needs a processor or memory test (--tests); disk tests use no threads";
    }
  }
  if (problem.empty() && !RunsTests(options)) {
    // Options that shape a run, given where nothing runs.
    for (const auto& [given, name] : {std::pair{options.quick, "--quick"},
                                      {options.longTests, "--long"},
                                      {options.repeat != 1, "--repeat"}}) {
      if (given) {
        problem =
            std::string(name) + ": nothing runs (name tests with --tests or drives with --drive)";
        break;
      }
    }
  }
  if (!problem.empty()) {
    result.exitStatus = 2;
    result.error = problem;
    return result;
  }
  result.options = options;
  return result;
}

}  // namespace quorvane

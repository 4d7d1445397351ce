// quorvane-cli through RunCli and as the built program: its command line and refusals, the
// report, JSON, repetitions and the thread sweep, the detected description, result files and
// exports in their bytes, "-" for stdout, outputs that fail, and the disk test's file removed
// when the program is stopped.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <nlohmann/json.hpp>

#include "cli/CliOptions.h"
#include "cli/CliProgram.h"
#include "cli/TerminalText.h"
#include "cli/ThreadSweep.h"
#include "engine/Windows1252.h"
#include "generated/Version.h"
#include "report/Report.h"
#include "report/ResultFile.h"
#include "report/TextExport.h"
#include "tests/cli_invoke.h"
#include "tests/fixture_tree.h"
#include "tests/temp_folder.h"

namespace quorvane {
namespace {

namespace fs = std::filesystem;
using test_support::CliRun;
using test_support::FileBytes;
using test_support::Invoke;
using test_support::Lines;
using test_support::TempFolder;

// A shell command line; its exit status and what the shell wrote to its stdout.
CliRun Shell(const std::string& command) {
  FILE* pipe = popen(command.c_str(), "r");
  CliRun run;
  for (int c; (c = fgetc(pipe)) != EOF;) run.out += static_cast<char>(c);
  const int status = pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

// A result file of one queens run with a CPU text outside ASCII and a brand one character too
// long; made once, removed at exit.
const std::string& SavedRun() {
  static const TempFolder folder;
  static const std::string file = [] {
    const std::string path = folder / "mine.qv3";
    const std::string brand = "brand=" + std::string(62, 'a') + "ü€";
    const CliRun run = Invoke({"-q", "--quick", "-t", "q", "-j", "1", "--no-realtime", "--set",
                               "cpu=Zürich €", "--set", brand.c_str(), "--save", path.c_str()});
    EXPECT_EQ(run.status, 0) << run.err;
    return path;
  }();
  return file;
}

TEST(CliOptions, BadUsageGivesOneLineAndStatusTwoAndChangesNoFile) {
  const TempFolder folder;
  const std::string mine = SavedRun(), before = FileBytes(mine);
  const std::string alias = folder / "alias.qv3", fresh = folder / "fresh.txt";
  const std::string freshAgain = (folder.path() / "sub" / ".." / "fresh.txt").string();
  fs::create_symlink(mine, alias);
  fs::create_directory(folder.path() / "sub");
  const struct {
    std::vector<const char*> words;
    const char* start;  // what the message starts with after the program's name
  } bad[] = {{{"--bogus"}, ""},
             {{"--threads", "0"}, ""},
             {{"--threads", "129"}, ""},
             {{"-j", "two"}, ""},
             {{"--tests", "queens,x"}, ""},
             {{"--tests", ""}, ""},
             {{"--set", "colour=red"}, ""},
             {{"--set", "brand"}, ""},
             {{"--set", "threads=4"}, ""},
             {{"extra"}, ""},
             {{"--drive", "1"}, ""},
             {{"--drive", "AB"}, ""},
             {{"-d", "B"}, "--drive: 'B' is not a drive letter"},
             {{"--drive", ""}, ""},
             {{"--repeat", "0"}, ""},
             {{"--repeat", "100"}, ""},
             {{"--repeat", "three"}, ""},
             {{"--sweep", "-t", "q", "--repeat", "2"}, "--repeat"},
             {{"--sweep", "--load", "x.qv3"}, "--sweep"},
             {{"--sweep", "-d", "C"}, "--sweep"},
             // Options that shape a run where nothing runs.
             {{"--load", mine.c_str(), "--quick"}, "--quick: nothing runs"},
             {{"--description", "--long"}, "--long: nothing runs"},
             {{"--load", mine.c_str(), "--repeat", "2"}, "--repeat: nothing runs"},
             // Texts that cannot be stored in a result file.
             {{"--set", "cpu=Ω-9000"}, "--set: The entry \"cpu\""},
             {{"--set", "brand=Ac\nme"}, "--set: The entry \"brand\""},
             {{"--set", "cpus=7\r\n8"}, "--set: The entry \"cpus\""},
             {{"--set", "os=\xff"}, "--set: The entry \"os\""},
             // An output that names another file of the run: by name, by inode, not there yet, or
             // "-" twice.
             {{"--load", mine.c_str(), "--save", mine.c_str()}, "--"},
             {{"--load", mine.c_str(), "--export", alias.c_str()}, "--"},
             {{"--compare", alias.c_str(), "--save", mine.c_str()}, "--"},
             {{"-t", "q", "--save", fresh.c_str(), "--export", freshAgain.c_str()}, "--"},
             {{"--load", mine.c_str(), "--save", "-", "--export", "-"}, "--"},
             {{"--load", mine.c_str(), "--export", "-", "--json"}, "--"}};
  for (const auto& [words, start] : bad) {
    SCOPED_TRACE(words[0] + std::string(" ") + words.back());
    const CliRun run = Invoke(words);
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(run.out.empty());
    EXPECT_TRUE(run.err.starts_with("quorvane-cli: " + std::string(start))) << run.err;
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
  }
  EXPECT_EQ(FileBytes(mine), before);
  EXPECT_EQ(folder.EntryCount(), 2u);  // alias and sub
}

TEST(CliOptions, HelpAndVersionGoToStdoutAndTheHelpPageNamesEveryOption) {
  CliRun run = Invoke({"--help"});
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.out.find("--no-realtime"), std::string::npos);
  // The desktop program's help page lists quorvane-cli's options: none may be missing there.
  std::ifstream page(QUORVANE_HELP_PAGE_SOURCE, std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(page)), std::istreambuf_iterator<char>());
  const std::size_t usage = text.find("<pre>quorvane-cli [options]");
  ASSERT_NE(usage, std::string::npos);
  const std::string listed = text.substr(usage, text.find("</pre>", usage) - usage);
  int options = 0;
  for (const std::string& line : test_support::Lines(run.out)) {
    const std::size_t dashes = line.find("--");
    if (line.rfind("  -", 0) != 0 || dashes == std::string::npos) continue;
    const std::string option = line.substr(dashes, line.find_first_of(" ,", dashes) - dashes);
    ++options;
    EXPECT_NE(listed.find(" " + option + " "), std::string::npos) << option;
  }
  EXPECT_GE(options, 25);
  run = Invoke({"-V"});
  EXPECT_EQ(run.out, std::string("quorvane-cli ") + QUORVANE_VERSION + "\n");
}

// The options of `args` as the program's command line parses them.
CliParse Parse(std::vector<const char*> args) {
  args.insert(args.begin(), "quorvane-cli");
  return ParseCommandLine(static_cast<int>(args.size()), args.data());
}

TEST(CliOptions, TestsAndFieldsAreParsed) {
  CliParse parsed = Parse({"--tests", "memory, d,fpu,q", "--set", "cpus=2", "--set", "os=A=B"});
  ASSERT_TRUE(parsed.options);
  EXPECT_EQ(parsed.options->tests, (std::vector<TestId>{TestId::Dhrystone, TestId::Queens,
                                                        TestId::FloatingPoint, TestId::Memory}));
  EXPECT_EQ(parsed.options->fields,
            (std::vector<std::pair<int, std::string>>{{13, "2"}, {11, "A=B"}}));
  parsed = Parse({"-t", "all"});
  ASSERT_TRUE(parsed.options);
  EXPECT_EQ(parsed.options->tests.size(), 7u);
  parsed = Parse({});
  ASSERT_TRUE(parsed.options);
  EXPECT_TRUE(parsed.options->tests.empty());
  EXPECT_FALSE(parsed.options->threads);
}

TEST(CliOptions, NumbersWithLeadingZerosAreDecimalNeverOctal) {
  CliParse parsed = Parse({"-j", "010", "--repeat", "010", "-t", "q"});
  ASSERT_TRUE(parsed.options) << parsed.error;
  EXPECT_EQ(parsed.options->threads, 10);
  EXPECT_EQ(parsed.options->repeat, 10);
  parsed = Parse({"--threads", "000000000000000000000128", "--repeat", "099", "-t", "q"});
  ASSERT_TRUE(parsed.options) << parsed.error;
  EXPECT_EQ(parsed.options->threads, 128);
  EXPECT_EQ(parsed.options->repeat, 99);
}

TEST(CliOptions, NumbersAreDecimalDigitsOnlyNotANumberOrNotInRange) {
  const struct {
    const char* option;
    const char* word;
    const char* says;
  } bad[] = {{"-j", "two", "is not a number"},
             {"-j", "0x10", "is not a number"},
             {"-j", "1e1", "is not a number"},
             {"-j", " 2", "is not a number"},
             {"-j", "2 ", "is not a number"},
             {"-j", "+2", "is not a number"},
             {"-j", "", "is not a number"},
             {"-j", "2.0", "is not a number"},
             {"-j", "\xD9\xA2", "is not a number"},  // an Arabic-Indic digit two
             {"--repeat", "0o7", "is not a number"},
             {"--repeat", "3\t", "is not a number"},
             {"-j", "0", "not in range 1 to 128"},
             {"-j", "000", "not in range 1 to 128"},
             {"-j", "129", "not in range 1 to 128"},
             {"-j", "0129", "not in range 1 to 128"},
             {"-j", "99999999999999999999", "not in range 1 to 128"},
             {"--repeat", "0", "not in range 1 to 99"},
             {"--repeat", "100", "not in range 1 to 99"}};
  for (const auto& [option, word, says] : bad) {
    const std::string name = std::string(option) == "-j" ? "--threads" : option;
    const CliRun run = Invoke({option, word, "-t", "q"});
    EXPECT_EQ(run.status, 2) << word;
    EXPECT_EQ(run.err,
              "quorvane-cli: " + name + ": Value " + TerminalText(word) + " " + says + "\n");
  }
}

// Every byte of a message is printable ASCII but the line end: nothing a terminal acts on.
bool PrintableLine(const std::string& line) {
  if (line.empty() || line.back() != '\n') return false;
  return std::all_of(line.begin(), line.end() - 1, [](char c) { return c >= 0x20 && c <= 0x7E; });
}

TEST(CliMessages, PathsAndTextsShowTheirControlCharactersEscaped) {
  // C0, DEL and C1 controls and bytes that are not UTF-8 escaped; the rest as it is.
  EXPECT_EQ(TerminalText("a\x1B[2J\x07\x7F\tb\n"), "a\\x1B[2J\\x07\\x7F\\x09b\\x0A");
  EXPECT_EQ(TerminalText("\xC2\x9B"
                         "1m \xC2\x85\xC2\x80\xC2\x9F"),
            "\\u009B1m \\u0085\\u0080\\u009F");
  EXPECT_EQ(TerminalText("\x9B"
                         "1m\xFF\xC0\xAF\xE2\x82"),
            "\\x9B1m\\xFF\\xC0\\xAF\\xE2\\x82");
  const std::string kept = "Z\xC3\xBCrich \xE2\x82\xAC C:\\x\\y \xC2\xA0\xF0\x9F\x98\x80~";
  EXPECT_EQ(TerminalText(kept), kept);

  // The path of a file that cannot be written, read or compared, and words of a bad command line.
  const std::string hostile = "/nonexistent/\x1B[2J\x1B]0;owned\x07.qv3";
  const std::string shown = "/nonexistent/\\x1B[2J\\x1B]0;owned\\x07.qv3";
  const std::string absent = " (" + shown + ": No such file or directory)\n";
  const struct {
    std::vector<const char*> words;
    std::string err;  // empty: checked for printable bytes only
  } runs[] = {
      {{"-t", "q", "--save", hostile.c_str()}, "Cannot save file!" + absent},
      {{"--load", hostile.c_str()}, "Can't open file!" + absent},
      {{"--load", SavedRun().c_str(), "--compare", hostile.c_str()}, "Can't open file!" + absent},
      {{"--tests", "\x1B[2J"}, ""},
      {{"-j", "\x1B]0;x\x07"}, ""},
      {{"--set", "colour\x9B=1"}, ""},
      {{"--drive", "\xC2\x9B"}, ""},
      {{"\x1B[31m"}, ""},
      {{"--repeat", "\x7F"}, ""}};
  for (const auto& [words, err] : runs) {
    const CliRun run = Invoke(words);
    EXPECT_NE(run.status, 0);
    EXPECT_TRUE(PrintableLine(run.err)) << run.err;
    if (!err.empty()) {
      EXPECT_EQ(run.err, err);
    }
  }
}

TEST(CliJson, EveryByteOfATextIsItsWindows1252CharacterWithEveryControlEscaped) {
  const TempFolder folder;
  // DEL, the five bytes Windows-1252 leaves undefined, ESC, BEL, euro and a single guillemet.
  const std::string brand =
      "A\x7F"
      "B\x81"
      "C\x8D"
      "D\x8F"
      "E\x90"
      "F\x9D"
      "G\x1B"
      "H\x07"
      "I\x80"
      "J\x9B"
      "K";
  const std::string file = folder / "controls.qv3";
  std::string fields;
  for (int line = 1; line < 14; ++line) fields += "\r\n";
  std::ofstream(file, std::ios::binary) << "\r\nx\r\n" + brand + fields;
  CliRun run = Invoke({"--load", file.c_str(), "--json"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("\"brand\": \"A\\u007fB\\u0081C\\u008dD\\u008fE\\u0090F\\u009dG\\u001bH"
                         "\\u0007I\xE2\x82\xAC"
                         "J\xE2\x80\xBAK\""),
            std::string::npos)
      << run.out;
  for (std::size_t i = 0; i < run.out.size(); ++i) {
    const auto c = static_cast<unsigned char>(run.out[i]);
    const auto next = i + 1 < run.out.size() ? static_cast<unsigned char>(run.out[i + 1]) : 0u;
    const bool c1 = c == 0xC2 && next >= 0x80 && next <= 0x9F;
    EXPECT_FALSE((c < 0x20 && c != '\n') || c == 0x7F || c1) << i;
  }
  EXPECT_EQ(nlohmann::json::parse(run.out)["description"]["brand"], Windows1252ToUtf8(brand));
  // The report shows each control as '?'.
  run = Invoke({"--load", file.c_str(), "--description"});
  EXPECT_NE(run.out.find("A?B?C?D?E?F?G?H?I\xE2\x82\xAC"
                         "J\xE2\x80\xBAK"),
            std::string::npos)
      << run.out;
}

TEST(CliDrives,
     DrivesAreListedCheckedAgainstThisSystemAndTheTestFileIsLeftAloneGuardedOrRemovedOnSignals) {
  CliRun run = Invoke({"--list-drives"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out.rfind("C  ", 0), 0u) << run.out;  // the root filesystem is drive C
  EXPECT_EQ(run.out.back(), '\n');

  // A letter this system does not have is a bad value.
  char missing = 'Z';
  while (missing > 'C' && run.out.find(std::string("\n") + missing + "  ") != std::string::npos)
    --missing;
  const std::string word(1, missing);
  run = Invoke({"--drive", word.c_str()});
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err,
            "quorvane-cli: --drive: this system has no drive " + word + " (see --list-drives)\n");

  // In a fresh folder on the root filesystem (drive C), where the disk test makes its file.
  const TempFolder folder;
  struct stat here {
  }, root{};
  if (stat(folder.path().c_str(), &here) != 0 || stat("/", &root) != 0 ||
      here.st_dev != root.st_dev) {
    GTEST_SKIP() << "the temporary folder is not on drive C";
  }
  // A file already there is the user's: it stays, the test fails with its message, exit 1.
  // Drive letters are taken in either case, each drive once.
  folder.File("DISKTEST.DAT", "mine");
  run = Shell("cd '" + folder.path().string() +
              "' && " QUORVANE_CLI_PATH " -q --no-realtime -d c --drive C 2>&1");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.out.find("quorvane-cli: Test file already exists: "), std::string::npos) << run.out;
  EXPECT_EQ(FileBytes(folder / "DISKTEST.DAT"), "mine");
  fs::remove(folder / "DISKTEST.DAT");

  // Stopped by SIGTERM, SIGHUP (a closed terminal) or SIGQUIT (Ctrl-\) during the disk test,
  // the program removes its file and exits 128 + the signal. Each run is held still (SIGSTOP)
  // once its file was seen, so that it cannot finish first; meanwhile a second disk test in the
  // same folder says that another one is running there and leaves its file alone. One run at a
  // time, so that the other tests running beside this one keep their processors.
  const fs::path file = folder.path() / "DISKTEST.DAT";
  bool unseen = false;
  for (const int signal : {SIGTERM, SIGHUP, SIGQUIT}) {
    SCOPED_TRACE(signal);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      if (chdir(folder.path().c_str()) != 0) _exit(90);
      execl(QUORVANE_CLI_PATH, QUORVANE_CLI_PATH, "-q", "--no-realtime", "-d", "C",
            static_cast<char*>(nullptr));
      _exit(91);
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!fs::exists(file) && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    const bool seen = fs::exists(file);
    kill(child, SIGSTOP);
    int status = 0;
    waitpid(child, &status, WUNTRACED);
    if (signal == SIGTERM && seen) {
      const bool there = fs::exists(file);
      run = Shell("cd '" + folder.path().string() +
                  "' && " QUORVANE_CLI_PATH " -q --no-realtime -d C 2>&1");
      EXPECT_EQ(run.status, 1);
      EXPECT_NE(run.out.find(
                    "quorvane-cli: Another disk test is running: Another disk test is running in " +
                    folder.path().string()),
                std::string::npos)
          << run.out;
      EXPECT_EQ(fs::exists(file), there) << "the first test's file is not the second's to remove";
    }
    kill(child, signal);
    kill(child, SIGCONT);
    waitpid(child, &status, 0);
    if (!seen) {
      unseen = true;
      continue;
    }
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 128 + signal) << status;
    EXPECT_EQ(folder.EntryCount(), 0u);
  }
  if (unseen) GTEST_SKIP() << "the disk test made no file here (drive C not writable?)";
}

TEST(
    CliRun,
    TheDescriptionIsDetectedUnlessLoadedOrTurnedOffSetOverridesItAndRepeatedRunsGiveMediansInJson) {
  const test_support::FixtureTree tree;
  tree.File("sys/class/dmi/id/sys_vendor", "Acme\n");
  const MachineDetector detect = [&] { return DetectMachine(tree.root(), {}); };

  // A run's description starts from the detected one; --set still wins. Repetitions: progress
  // for each, the spread, medians and every sample in JSON.
  CliRun run = Invoke({"--json", "--quick", "-t", "q", "-j", "1", "--long", "--repeat", "3",
                       "--no-realtime", "--set", "cpu=Mine"},
                      detect);
  ASSERT_EQ(run.status, 0) << run.err;
  for (const char* line : {"Repetition 1 of 3: Running Eight queens problem (1 of 1)...",
                           "Repetition 3 of 3: Running Eight queens problem (1 of 1)...",
                           "Spread over 3 repetitions:"}) {
    EXPECT_NE(run.err.find(line), std::string::npos) << run.err;
  }
  const nlohmann::json json = nlohmann::json::parse(run.out);
  EXPECT_EQ(json["lengthFactor"], 4);
  EXPECT_EQ(json["description"]["brand"], "Acme");
  EXPECT_EQ(json["description"]["cpu"], "Mine");
  EXPECT_EQ(json["repeat"], 3);
  ASSERT_EQ(json["results"].size(), 1u);
  const nlohmann::json& row = json["results"][0];
  std::vector<long long> samples = row["samples"].get<std::vector<long long>>();
  ASSERT_EQ(samples.size(), 3u);
  std::sort(samples.begin(), samples.end());
  EXPECT_EQ(row["value"], samples[1]);
  EXPECT_EQ(row["min"], samples[0]);
  EXPECT_EQ(row["max"], samples[2]);
  EXPECT_NEAR(row["spread"].get<double>(), (samples[2] - samples[0]) * 100.0 / samples[1], 1e-9);
  EXPECT_EQ(row["noisy"], row["spread"].get<double>() > 5.0);

  // --no-detect and --load detect nothing. Nothing to run: the description alone, the thread
  // count left open, no progress.
  run = Invoke({"--description", "--no-detect"}, detect);
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  const std::vector<std::string> lines = Lines(run.out);
  ASSERT_GE(lines.size(), 5u) << run.out;
  EXPECT_EQ(lines[2].substr(0, 20), "Number of threads:  ");
  EXPECT_EQ(lines[4], "Brand           :  " + std::string(72, ' '));
  run = Invoke({"--load", SavedRun().c_str(), "--description"}, detect);
  EXPECT_EQ(Lines(run.out)[4],
            "Brand           :  " + std::string(62, 'a') + "ü  " + std::string(35, ' '));
}

TEST(CliRun, RunsAreSteadyInRoundsByDefaultAndQuickKeepsTheFixedWork) {
  // Steady: the work sized once at its fixed length, then rounds; each row tells its rounds and
  // holds its best kept round. Round 1 measures every test however long its fixed work took (a
  // busy machine can make the sizing interval last the floor and count as a round already), as
  // no test agrees with itself before two rounds.
  CliRun run = Invoke({"--json", "-t", "fpu,crunch", "-j", "1", "--no-realtime", "--no-detect"});
  ASSERT_EQ(run.status, 0) << run.err;
  for (const char* line : {"Sizing: Running Number crunch (1 of 2)...\n",
                           "Sizing: Running Floating point (2 of 2)...\n",
                           "Round 1: Running Number crunch (1 of 2)...\n",
                           "Round 1: Running Floating point (2 of 2)...\n"}) {
    EXPECT_NE(run.err.find(line), std::string::npos) << run.err;
  }
  nlohmann::json json = nlohmann::json::parse(run.out);
  EXPECT_EQ(json["measurement"], "steady");
  ASSERT_EQ(json["results"].size(), 2u);
  for (const nlohmann::json& row : json["results"]) {
    SCOPED_TRACE(row.dump());
    const nlohmann::json& steady = row["steady"];
    const int factor = steady["factor"];
    EXPECT_GE(factor, 1);
    EXPECT_EQ(steady["passes"], factor * 2 * (row["code"] == "n" ? 250000 : 150000));
    const nlohmann::json& rounds = steady["rounds"];
    ASSERT_GE(rounds.size(), 2u);
    EXPECT_EQ(
        steady["roundsKept"].get<std::size_t>() + steady["roundsDisturbed"].get<std::size_t>(),
        rounds.size());
    EXPECT_EQ(steady["samples"].size(), steady["roundsKept"].get<std::size_t>());
    std::vector<long long> scored;
    for (const nlohmann::json& round : rounds) {
      if (!round["disturbed"] || steady["samples"].empty()) scored.push_back(round["score"]);
    }
    EXPECT_EQ(row["value"], *std::max_element(scored.begin(), scored.end()));
  }
  // The factor is the smallest whole one that makes the fixed work's interval last the floor, a
  // fifth of a second here (the seconds are rounded to milliseconds).
  for (const nlohmann::json& row : json["results"]) {
    const int factor = row["steady"]["factor"];
    const double calibration = row["steady"]["calibrationSeconds"];
    EXPECT_GE(factor * (calibration + 0.0005), 0.2) << row.dump();
    EXPECT_LT((factor - 1) * (calibration - 0.0005), 0.2) << row.dump();
  }

  // Repeated steady runs tell the rounds of each repetition.
  run = Invoke(
      {"--json", "-q", "-t", "n", "-j", "1", "--repeat", "2", "--no-realtime", "--no-detect"});
  ASSERT_EQ(run.status, 0) << run.err;
  json = nlohmann::json::parse(run.out);
  EXPECT_EQ(json["results"][0]["steadyRepetitions"].size(), 2u);
  EXPECT_FALSE(json["results"][0].contains("steady"));

  // Quick: the fixed work once, the progress, rows and JSON fields of before.
  run = Invoke({"--json", "--quick", "-t", "n", "-j", "1", "--no-realtime", "--no-detect"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "Running Number crunch (1 of 1)...\n");
  json = nlohmann::json::parse(run.out);
  EXPECT_FALSE(json.contains("measurement"));
  ASSERT_EQ(json["results"].size(), 1u);
  std::vector<std::string> fields;
  for (const auto& [key, value] : json["results"][0].items()) fields.push_back(key);
  EXPECT_EQ(fields, (std::vector<std::string>{"code", "test", "unit", "value"}));
}

TEST(CliFiles, SaveLoadCompareExportAndDashGiveTheDesktopProgramsBytes) {
  const TempFolder folder;
  const std::string mine = SavedRun(), other = folder / "other.qv3",
                    exported = folder / "report.txt";
  // Stored in Windows-1252, one byte a character; the brand cut at 63 characters after that.
  EXPECT_NE(FileBytes(mine).find("\r\nx\r\n" + std::string(62, 'a') +
                                 "\xFC\r\n\r\n\r\nZ\xFCrich \x80\r\n"),
            std::string::npos);
  CliRun run = Invoke(
      {"-q", "--quick", "-t", "queens", "-j", "2", "--no-realtime", "--save", other.c_str()});
  ASSERT_EQ(run.status, 0) << run.err;
  run = Invoke({"--load", mine.c_str(), "--compare", other.c_str(), "--export", exported.c_str()});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(run.err.empty()) << run.err;  // nothing ran

  auto state = std::make_unique<BenchmarkState>();
  ASSERT_EQ(ReadResultFile(*state, FileTarget::ThisMachine, mine), FileOutcome::Done);
  ASSERT_EQ(ReadResultFile(*state, FileTarget::OtherMachine, other), FileOutcome::Done);
  BuildReport(*state);
  const std::string expected = ExportBytes(state->ReportText);
  EXPECT_EQ(FileBytes(exported), expected);
  std::string plain = expected;  // stdout: the same lines with plain line ends
  for (std::size_t at = plain.find("\r\n"); at != std::string::npos; at = plain.find("\r\n", at))
    plain.erase(at, 1);
  EXPECT_EQ(run.out, plain);
  // "-": the file's bytes take the place of the report.
  run = Invoke({"--load", mine.c_str(), "--compare", other.c_str(), "--export", "-"});
  EXPECT_EQ(run.out, expected);
  run = Invoke({"--load", mine.c_str(), "--save", "-"});
  EXPECT_EQ(run.out, FileBytes(mine));

  // A loaded file's texts in JSON are UTF-8 (its description printed so: the detection test).
  run = Invoke({"--load", mine.c_str(), "--json"});
  EXPECT_NE(run.out.find("\"cpu\": \"Zürich €\""), std::string::npos) << run.out;
}

TEST(CliFiles, FilesThatCannotBeReadOrWrittenPrintTheirMessageAndExitOne) {
  TempFolder folder;
  const std::string absent = folder / "absent.qv3", bad = folder / "bad.qv3",
                    missing = folder / "no/such/x.qv3";
  const std::string here = folder.path().string();
  const std::string kNoSuchFile = "No such file or directory";
  std::ofstream(bad, std::ios::binary)
      << "\r\nx\r\n1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n9\r\n10\r\n11\r\n12\r\n13\r\n14\r\n[drive";
  // Files that cannot be read, and outputs checked before the run: no progress, no report,
  // nothing made.
  const struct {
    std::vector<const char*> words;
    std::string err;
  } failed[] = {
      {{"--load", absent.c_str()}, "Can't open file! (" + absent + ": " + kNoSuchFile + ")\n"},
      {{"--load", SavedRun().c_str(), "--compare", absent.c_str()},
       "Can't open file! (" + absent + ": " + kNoSuchFile + ")\n"},
      {{"--load", bad.c_str(), "-t", "q", "-q"},
       "This is not a Quorvane Mk III file! (" + bad + ")\n"},
      {{"--compare", bad.c_str(), "-t", "q", "-q"},
       "This is not a Quorvane Mk III file! (" + bad + ")\n"},
      {{"--load", here.c_str()}, "Can't open file! (" + here + ": Is a directory)\n"},
      {{"--compare", "/dev/zero"}, "Can't open file! (/dev/zero: not a regular file)\n"},
      {{"-t", "q", "-j", "1", "--no-realtime", "--save", missing.c_str()},
       "Cannot save file! (" + missing + ": No such file or directory)\n"},
      {{"-q", "-t", "q", "--export", here.c_str()},
       "Cannot save file! (" + here + ": Is a directory)\n"}};
  for (const auto& [words, err] : failed) {
    const CliRun run = Invoke(words);
    EXPECT_EQ(run.status, 1) << err;
    EXPECT_EQ(run.err, err);
    EXPECT_TRUE(run.out.empty()) << err;
  }
  EXPECT_EQ(folder.EntryCount(), 1u);  // bad.qv3

  // A named pipe is not read: refused at once, not waited on until someone writes (the built
  // program, stopped after a deadline when it waits; the shell's timeout gives 124).
  const std::string fifo = folder / "fifo.qv3";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const CliRun refused = Shell("timeout 20 " QUORVANE_CLI_PATH " --load '" + fifo + "' 2>&1");
  EXPECT_EQ(refused.status, 1);
  EXPECT_EQ(refused.out, "Can't open file! (" + fifo + ": not a regular file)\n");
  fs::remove(fifo);

  // A named pipe passes the check but has no reader when the export comes: the message names
  // it and the reason, and the report of the run is printed all the same.
  const std::string pipe = folder / "pipe";
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  const CliRun run =
      Invoke({"-q", "--quick", "-t", "q", "-j", "1", "--no-realtime", "--export", pipe.c_str()});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "Cannot save file! (" + pipe + ": No such device or address)\n");
  EXPECT_NE(run.out.find("Eight queens problem"), std::string::npos) << run.out;
}

TEST(CliOutputs, AStdoutThatCannotBeWrittenExitsOne) {
  const TempFolder folder;
  const std::string load = QUORVANE_CLI_PATH " --load '" + SavedRun() + "' 2>&1";
  // A full device, a closed stdout, and a file size limit of 0 blocks (EFBIG).
  for (const std::string& command :
       {load + " >/dev/full", load + " >&-",
        "ulimit -f 0; " + load + " >'" + (folder / "limited.txt").string() + "'"}) {
    SCOPED_TRACE(command);
    const CliRun run = Shell(command);
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.out.starts_with("quorvane-cli: cannot write standard output: ")) << run.out;
  }
  EXPECT_EQ(Shell(load + " >/dev/null").status, 0);
}

// The page without the time it was made at, which is all that may differ between two pages of
// the same files.
std::string WithoutTime(std::string page) {
  const std::size_t open = page.find("<time ");
  const std::size_t close = page.find("</time>");
  if (open != std::string::npos && close != std::string::npos) page.erase(open, close - open);
  return page;
}

// --html: the page of loaded files after the report, "-" for stdout in place of the report, the
// usage conflicts of the other outputs, a target refused before anything runs, and a late
// failure that leaves the run's report printed.
TEST(CliWebPage, WrittenAfterTheRunWithTheExportsRulesForItsTarget) {
  const TempFolder folder;
  const std::string mine = SavedRun(), page = folder / "page.html",
                    missing = folder / "no/such/page.html";
  CliRun run = Invoke({"--load", mine.c_str(), "--compare", mine.c_str(), "--html", page.c_str()});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("Eight queens problem"), std::string::npos);  // the report as ever
  const std::string bytes = FileBytes(page);
  EXPECT_TRUE(bytes.starts_with("<!DOCTYPE html>\n")) << bytes.substr(0, 100);
  EXPECT_NE(bytes.find("Exported <time"), std::string::npos);
  EXPECT_NE(bytes.find("<td class=\"this\">Zürich €</td><td class=\"other\">Zürich €</td>"),
            std::string::npos);
  EXPECT_NE(bytes.find("<td class=\"percent num\">100 %</td>"), std::string::npos);
  EXPECT_EQ(bytes.find("id=\"environment\""), std::string::npos);  // nothing ran
  run = Invoke({"--load", mine.c_str(), "--compare", mine.c_str(), "--html", "-"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(WithoutTime(run.out), WithoutTime(bytes));

  const struct {
    std::vector<const char*> words;
    int status;
    std::string err;
  } refused[] = {{{"--load", page.c_str(), "--html", page.c_str()},
                  2,
                  "quorvane-cli: --html names the same file as --load ('" + page + "')\n"},
                 {{"--load", mine.c_str(), "--export", page.c_str(), "--html", page.c_str()},
                  2,
                  "quorvane-cli: --html names the same file as --export ('" + page + "')\n"},
                 {{"--load", mine.c_str(), "--json", "--html", "-"},
                  2,
                  "quorvane-cli: --html - and --json both write to standard output\n"},
                 {{"-q", "-t", "q", "--html", missing.c_str()},
                  1,
                  "Cannot save file! (" + missing + ": No such file or directory)\n"}};
  for (const auto& [words, status, err] : refused) {
    const CliRun refusal = Invoke(words);
    EXPECT_EQ(refusal.status, status) << err;
    EXPECT_EQ(refusal.err, err);
    EXPECT_TRUE(refusal.out.empty()) << err;
  }
  EXPECT_EQ(folder.EntryCount(), 1u);  // page.html

  const std::string pipe = folder / "pipe";
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  run = Invoke({"-q", "--quick", "-t", "q", "-j", "1", "--no-realtime", "--html", pipe.c_str()});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "Cannot save file! (" + pipe + ": No such device or address)\n");
  EXPECT_NE(run.out.find("Eight queens problem"), std::string::npos) << run.out;
}

// A run's page says when it was measured and adds what the run has: a steady run's rounds, a
// repeated run's repetitions, a sweep's thread counts, the environment and the build stamp.
TEST(CliWebPage, ARunsPageShowsItsRoundsRepetitionsSweepAndEnvironment) {
  const TempFolder folder;
  const std::string page = folder / "page.html";
  CliRun run = Invoke({"-q", "-t", "q", "-j", "1", "--no-realtime", "--html", page.c_str()});
  ASSERT_EQ(run.status, 0) << run.err;
  std::string bytes = FileBytes(page);
  EXPECT_NE(bytes.find("Measured <time"), std::string::npos);
  EXPECT_NE(bytes.find("rounds kept"), std::string::npos);
  EXPECT_NE(bytes.find("<tr data-key=\"other-load\"><th scope=\"row\">Other programs' "
                       "load</th><td>0.0 % of the processors&#39; time</td></tr>"),
            std::string::npos);
  EXPECT_NE(bytes.find("<tr data-key=\"build-version\"><th scope=\"row\">Version</th><td>" +
                       std::string(QUORVANE_VERSION) + "</td></tr>"),
            std::string::npos);

  run = Invoke({"-q", "--quick", "--repeat", "2", "-t", "q", "-j", "1", "--no-realtime", "--html",
                page.c_str()});
  ASSERT_EQ(run.status, 0) << run.err;
  bytes = FileBytes(page);
  EXPECT_NE(bytes.find(">2 of 2 runs"), std::string::npos);
  EXPECT_EQ(bytes.find("rounds kept"), std::string::npos);

  run = Invoke(
      {"-q", "--quick", "--sweep", "-t", "q", "-j", "2", "--no-realtime", "--html", page.c_str()});
  ASSERT_EQ(run.status, 0) << run.err;
  bytes = FileBytes(page);
  EXPECT_NE(bytes.find("<tr data-code=\"q\" data-threads=\"1\">"), std::string::npos);
  EXPECT_NE(bytes.find("<tr data-code=\"q\" data-threads=\"2\">"), std::string::npos);
  EXPECT_NE(bytes.find("<td class=\"num efficiency\">100 %</td>"), std::string::npos);
}

SweepRun RunOf(int threads, std::initializer_list<std::pair<char, std::uint32_t>> rows) {
  SweepRun run{threads, {}};
  std::size_t row = 0;
  for (const auto& [code, value] : rows) SetRow(run.results[row++], code, value);
  return run;
}

TEST(ThreadSweep, CountsDoubleUpToTheLimitAndTableAndJsonGiveSpeedUpAgainstOneThread) {
  for (const auto& [limit, counts] :
       std::vector<std::pair<int, std::vector<int>>>{{0, {1}},
                                                     {1, {1}},
                                                     {3, {1, 2, 3}},
                                                     {4, {1, 2, 4}},
                                                     {128, {1, 2, 4, 8, 16, 32, 64, 128}}}) {
    EXPECT_EQ(SweepThreadCounts(limit), counts) << limit;
  }
  // Dhrystone scales, Whetstone failed alone at one thread, memory measured 0 at one thread,
  // queens measured only at two; a drive block (no speed-up, not in the table) in the last.
  const std::vector<SweepRun> runs = {RunOf(1, {{'d', 1000}, {'m', 0}}),
                                      RunOf(2, {{'d', 1900}, {'w', 50}, {'q', 7}, {'m', 10}}),
                                      RunOf(3, {{'d', 2500},
                                                {'C', 700},
                                                {' ', 600},
                                                {' ', 500},
                                                {' ', 400},
                                                {' ', 300},
                                                {' ', 200},
                                                {' ', 12}})};
  EXPECT_EQ(SweepTable(runs),
            "threads  test                            score  unit      speed-up  efficiency\n"
            "      1  Dhrystone 2.1                    1000  kDhryst.      1.00       100 %\n"
            "      1  Memory throughput                   0  kB/sec         n/a         n/a\n"
            "      2  Dhrystone 2.1                    1900  kDhryst.      1.90        95 %\n"
            "      2  Whetstone                          50  MFLOPS         n/a         n/a\n"
            "      2  Eight queens problem                7  pps            n/a         n/a\n"
            "      2  Memory throughput                  10  kB/sec         n/a         n/a\n"
            "      3  Dhrystone 2.1                    2500  kDhryst.      2.50        83 %\n");
  ResultTable other{};
  SetRow(other[0], 'd', 2000);
  const nlohmann::json json = SweepAsJson(runs, other);
  ASSERT_EQ(json.size(), 3u);
  EXPECT_EQ(json[1]["threads"], 2);
  EXPECT_EQ(json[1]["results"][0], nlohmann::json::parse(R"({"code": "d", "test": "Dhrystone 2.1",
      "unit": "kDhryst.", "value": 1900, "comparison": 2000, "speedup": 1.9, "efficiency": 95})"));
  EXPECT_FALSE(json[1]["results"][1].contains("speedup"));
  EXPECT_EQ(json[2]["results"][0]["efficiency"], 83);
  ASSERT_EQ(json[2]["results"].size(), 8u);
  EXPECT_EQ(json[2]["results"][7],
            nlohmann::json::parse(R"({"code": " ", "drive": "C", "test": "CPU usage",
      "unit": "percent", "value": 12})"));
}

TEST(ThreadSweep, RunsEveryCountAndPrintsItsTableOrJsonWithTheLastRunAtTheTop) {
  CliRun run = Invoke({"--sweep", "--quick", "-t", "queens", "-j", "3", "--no-realtime", "--json"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.err.find("Sweep with 3 threads"), std::string::npos);
  // Each progress line names the thread count of its run.
  for (const char* line : {"1 thread: Running Eight queens problem (1 of 1)...\n",
                           "2 threads: Running Eight queens problem (1 of 1)...\n",
                           "3 threads: Running Eight queens problem (1 of 1)...\n"}) {
    EXPECT_NE(run.err.find(line), std::string::npos) << run.err;
  }
  const nlohmann::json json = nlohmann::json::parse(run.out);
  ASSERT_EQ(json["sweep"].size(), 3u);
  EXPECT_FALSE(json.contains("repeat"));
  // The top level is the run at the highest count.
  EXPECT_EQ(json["threads"], 3);
  nlohmann::json last = json["sweep"][2]["results"][0];
  last.erase("speedup");
  last.erase("efficiency");
  EXPECT_EQ(json["results"], nlohmann::json::array({last}));

  run = Invoke({"--sweep", "-q", "--quick", "-t", "q", "-j", "2", "--no-realtime"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(run.err.empty());
  const std::vector<std::string> table = Lines(run.out);  // its columns are SweepTable's test
  ASSERT_EQ(table.size(), 3u) << run.out;
  EXPECT_TRUE(table[1].starts_with("      1  Eight queens problem")) << table[1];
}

}  // namespace
}  // namespace quorvane

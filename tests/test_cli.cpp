// quorvane-cli: its command line, its report on stdout and its JSON, through RunCli and through
// the built program.
#include <gtest/gtest.h>

#include <algorithm>

#include <nlohmann/json.hpp>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

#include "cli/CliOptions.h"
#include "cli/CliProgram.h"
#include "tests/cli_invoke.h"
#include "fixture_tree.h"
#include "report/Report.h"
#include "report/ResultFile.h"
#include "report/TextExport.h"
#include "tests/temp_folder.h"

namespace quorvane {
namespace {

using test_support::TempFolder;

using test_support::CliRun;
using test_support::Invoke;

CliParse Parse(std::vector<const char*> args) {
  args.insert(args.begin(), "quorvane-cli");
  return ParseCommandLine(static_cast<int>(args.size()), args.data());
}

// One line that names the program.
bool OneMessageLine(const std::string& text) {
  return text.starts_with("quorvane-cli: ") && text.find('\n') == text.size() - 1;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);) lines.push_back(line);
  return lines;
}

TEST(CliOptions, BadWordsGiveOneLineAndStatusTwoAlsoFromTheBuiltProgramHelpGoesToStdout) {
  const std::vector<std::vector<const char*>> bad = {
      {"--bogus"},          {"--threads", "0"},     {"--threads", "129"},
      {"-j", "two"},        {"--tests", "queens,x"}, {"--tests", ""},
      {"--set", "colour=red"}, {"--set", "brand"},   {"--set", "threads=4"},
      {"extra"},            {"--drive", "1"},       {"--drive", "AB"},
      {"-d", "B"},          {"--drive", ""},        {"--repeat", "0"},
      {"--repeat", "100"},  {"--repeat", "three"}, {"--sweep", "-t", "q", "--repeat", "2"}};
  for (const auto& words : bad) {
    const CliRun run = Invoke(words);
    EXPECT_EQ(run.status, 2) << words[0];
    EXPECT_TRUE(run.out.empty()) << words[0];
    EXPECT_TRUE(OneMessageLine(run.err)) << run.err;
  }
  CliRun run = Invoke({"--help"});
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.out.find("--no-realtime"), std::string::npos);
  EXPECT_TRUE(run.err.empty());
  run = Invoke({"-V"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "quorvane-cli 0.7.16\n");

  // The built program, as a shell sees it.
  FILE* pipe = popen((std::string(QUORVANE_CLI_PATH) + " --threads 500 2>&1").c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::string output;
  for (int c; (c = fgetc(pipe)) != EOF;) output += static_cast<char>(c);
  const int status = pclose(pipe);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 2);
  EXPECT_TRUE(OneMessageLine(output)) << output;
  EXPECT_NE(output.find("--threads"), std::string::npos) << output;
}

TEST(CliOptions, TestsDrivesAndFieldsAreParsedInRunOrder) {
  CliParse parsed = Parse({"--tests", "memory, d,fpu,q", "--drive", "c", "-d", "D", "--drive", "C"});
  ASSERT_TRUE(parsed.options);
  EXPECT_EQ(parsed.options->tests, (std::vector<TestId>{TestId::Dhrystone, TestId::Queens,
                                                        TestId::FloatingPoint, TestId::Memory}));
  EXPECT_EQ(parsed.options->drives, (std::vector<char>{'C', 'D'}));
  parsed = Parse({"-t", "all", "-j", "7", "--long", "--set", "cpus=2", "--set", "os=A=B"});
  ASSERT_TRUE(parsed.options);
  EXPECT_EQ(parsed.options->tests.size(), 7u);
  EXPECT_EQ(parsed.options->threads, 7);
  EXPECT_TRUE(parsed.options->longTests);
  EXPECT_EQ(parsed.options->fields, (std::vector<std::pair<int, std::string>>{{13, "2"}, {11, "A=B"}}));
  parsed = Parse({});
  ASSERT_TRUE(parsed.options);
  EXPECT_TRUE(parsed.options->tests.empty());
  EXPECT_FALSE(parsed.options->threads);
  EXPECT_GE(DefaultThreadCount(), 1);
  EXPECT_LE(DefaultThreadCount(), 128);
}

TEST(CliRun, PrintsTheReportAndProgressOrTheDescriptionViewQuietly) {
  CliRun run = Invoke({"--tests", "queens", "-j", "2", "--no-realtime"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "Running Eight queens problem (1 of 1)...\n");
  std::vector<std::string> lines = Lines(run.out);
  ASSERT_EQ(lines.size(), 5u) << run.out;
  EXPECT_EQ(lines[0], "                                this      other              relative");
  EXPECT_EQ(lines[3].substr(0, 26), "Eight queens problem      ");
  EXPECT_EQ(lines[3].substr(36), "        n/a  pps        0 percent");
  EXPECT_EQ(lines[4], std::string(106, ' '));

  // A field longer than its 63 characters is cut.
  const std::string setBrand = "brand=" + std::string(70, 'b');
  run = Invoke({"-q", "-t", "q", "-j", "1", "--no-realtime", "--description", "--set",
                setBrand.c_str(), "--set", "cpus=one"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(run.err.empty());
  lines = Lines(run.out);
  ASSERT_GE(lines.size(), 19u);
  EXPECT_EQ(lines[0], "");
  EXPECT_EQ(lines[2].substr(0, 21), "Number of threads: 1 ");
  EXPECT_EQ(lines[4], "Brand           :  " + std::string(63, 'b') + "  " + std::string(35, ' '));
  EXPECT_EQ(lines[8].substr(0, 22), "Number of CPUs  :  one");
}

TEST(CliRun, RepeatedRunsReportMediansAndGiveEverySampleInJson) {
  const CliRun run = Invoke({"--json", "-t", "queens", "-j", "1", "--repeat", "3", "--no-realtime"});
  ASSERT_EQ(run.status, 0) << run.err;
  for (const char* line : {"Repetition 1 of 3: Running Eight queens problem (1 of 1)...",
                           "Repetition 3 of 3: Running Eight queens problem (1 of 1)...",
                           "Spread over 3 repetitions:"}) {
    EXPECT_NE(run.err.find(line), std::string::npos) << run.err;
  }
  const nlohmann::json json = nlohmann::json::parse(run.out);
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
}

TEST(CliRun, JsonHoldsDescriptionSettingsAndRows) {
  const CliRun run = Invoke({"--json", "-q", "-t", "queens", "-j", "2", "--long", "--no-realtime",
                             "--set", "brand=Zürich €"});
  ASSERT_EQ(run.status, 0) << run.err;
  const nlohmann::json json = nlohmann::json::parse(run.out);
  EXPECT_EQ(json["threads"], 2);
  EXPECT_EQ(json["lengthFactor"], 4);
  EXPECT_EQ(json["description"]["brand"], "Zürich €");
  EXPECT_EQ(json["description"]["threads"], "2");
  ASSERT_EQ(json["results"].size(), 1u);
  const nlohmann::json& row = json["results"][0];
  EXPECT_EQ(row["code"], "q");
  EXPECT_EQ(row["test"], "Eight queens problem");
  EXPECT_EQ(row["unit"], "pps");
  EXPECT_TRUE(row["value"].is_number_integer());
  EXPECT_GT(row["value"].get<long long>(), 0);
  EXPECT_FALSE(row.contains("comparison"));
  EXPECT_FALSE(row.contains("samples"));
  EXPECT_FALSE(json.contains("repeat"));
}

TEST(CliDrives, DrivesAreListedCheckedAgainstThisSystemAndRun) {
  CliRun run = Invoke({"--list-drives"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out.rfind("C  ", 0), 0u) << run.out;  // the root filesystem is drive C
  EXPECT_EQ(run.out.back(), '\n');

  // A letter this system does not have is a bad value.
  char missing = 'Z';
  while (missing > 'C' && run.out.find(std::string("\n") + missing + "  ") != std::string::npos) --missing;
  const std::string word(1, missing);
  run = Invoke({"--drive", word.c_str()});
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err, "quorvane-cli: --drive: this system has no drive " + word + " (see --list-drives)\n");

  // A disk run on drive C gives its block and leaves no file.
  run = Invoke({"--drive", "C", "--json", "-q", "--no-realtime"});
  if (run.status == 1 && run.err.find("Can't open test file") != std::string::npos) {
    GTEST_SKIP() << "the folder of drive C cannot be written here: " << run.err;
  }
  ASSERT_EQ(run.status, 0) << run.err;
  const nlohmann::json rows = nlohmann::json::parse(run.out)["results"];
  ASSERT_EQ(rows.size(), 7u);
  EXPECT_EQ(rows[0]["code"], "C");
  EXPECT_EQ(rows[0]["test"], "Read max");
  EXPECT_EQ(rows[6]["test"], "CPU usage");
  EXPECT_GE(rows[0]["value"].get<long long>(), rows[1]["value"].get<long long>());
  EXPECT_GE(rows[1]["value"].get<long long>(), rows[2]["value"].get<long long>());
  EXPECT_LE(rows[6]["value"].get<long long>(), 100);
  EXPECT_FALSE(std::filesystem::exists("DISKTEST.DAT"));
}

TEST(CliRun, TheDescriptionIsDetectedUnlessLoadedOrTurnedOffAndSetStillOverrides) {
  const test_support::FixtureTree tree;
  tree.File("sys/class/dmi/id/sys_vendor", "Acme\n");
  tree.File("proc/cpuinfo", "model name\t: Acme Super CPU @ 2.50GHz\n");
  tree.File("proc/meminfo", "MemTotal: 16000000 kB\n");
  tree.Link("sys/class/block/vda", "../../devices/pci0000:00/0000:00:02.0/virtio1/block/vda");
  tree.Link("sys/devices/pci0000:00/0000:00:02.0/virtio1/driver", "../../../virtio_blk");
  tree.Folder("sys/devices/pci0000:00/0000:00:02.0/virtio1/block/vda");
  tree.Link("sys/devices/pci0000:00/0000:00:02.0/virtio1/block/vda/device", "../../../virtio1");
  int detections = 0;
  const MachineDetector detect = [&] {
    ++detections;
    return DetectMachine(tree.root(), {DriveMapping{'E', "/data", "ext4", "/dev/vda", true}});
  };

  // Nothing to run: the detected description alone, the thread count left open.
  CliRun run = Invoke({"--description"}, detect);
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");  // no progress: nothing ran
  std::vector<std::string> lines = Lines(run.out);
  ASSERT_GE(lines.size(), 24u) << run.out;
  EXPECT_EQ(lines[2].substr(0, 20), "Number of threads:  ");
  EXPECT_EQ(lines[4].substr(0, 24), "Brand           :  Acme ");
  EXPECT_EQ(lines[7].substr(0, 44), "CPU             :  Acme Super CPU @ 2.50GHz ");
  EXPECT_EQ(lines[10].substr(0, 29), "Internal clock  :  2500 MHz  ");
  EXPECT_EQ(lines[14].substr(0, 26), "RAM size        :  16 GB  ");
  EXPECT_EQ(lines[20].substr(0, 22), "Driveletter     :  E  ");
  EXPECT_EQ(lines[22].substr(0, 27), "Controller      :  virtio  ");
  EXPECT_EQ(lines[23].substr(0, 31), "Driver          :  virtio_blk  ");

  // A run's description starts from the detected one; --set still wins.
  run = Invoke({"--json", "-q", "-t", "q", "-j", "1", "--no-realtime", "--set", "ram-size=15 GB"},
               detect);
  ASSERT_EQ(run.status, 0) << run.err;
  nlohmann::json description = nlohmann::json::parse(run.out)["description"];
  EXPECT_EQ(description["brand"], "Acme");
  EXPECT_EQ(description["ram-size"], "15 GB");
  EXPECT_EQ(description["threads"], "1");

  // --no-detect and --load detect nothing.
  const int before = detections;
  run = Invoke({"--description", "--no-detect"}, detect);
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Lines(run.out)[4], "Brand           :  " + std::string(72, ' '));
  const test_support::FixtureTree files;
  const std::string saved = (files.root() / "typed.qv3").string();
  run = Invoke({"--description", "--no-detect", "--set", "brand=Typed", "--save", saved.c_str()},
               detect);
  ASSERT_EQ(run.status, 0) << run.err;
  run = Invoke({"--load", saved.c_str(), "--description"}, detect);
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Lines(run.out)[4].substr(0, 25), "Brand           :  Typed ");
  EXPECT_EQ(detections, before);
}

std::string Bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(CliFiles, SaveLoadCompareAndExportGiveTheDesktopProgramsBytes) {
  const TempFolder folder;
  const std::string mine = folder / "mine.qv3";
  const std::string other = folder / "other.qv3";
  const std::string exported = folder / "report.txt";
  CliRun run = Invoke({"-q", "-t", "q,c", "-j", "1", "--no-realtime", "--set", "brand=Mine",
                       "--save", mine.c_str()});
  ASSERT_EQ(run.status, 0) << run.err;
  run = Invoke({"-q", "-t", "queens", "-j", "2", "--no-realtime", "--set", "os=Other", "--save",
                other.c_str()});
  ASSERT_EQ(run.status, 0) << run.err;

  run = Invoke({"--load", mine.c_str(), "--compare", other.c_str(), "--export", exported.c_str()});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(run.err.empty()) << run.err;  // nothing ran

  auto state = std::make_unique<BenchmarkState>();
  ASSERT_EQ(ReadResultFile(*state, FileTarget::ThisMachine, mine), FileOutcome::Done);
  ASSERT_EQ(ReadResultFile(*state, FileTarget::OtherMachine, other), FileOutcome::Done);
  BuildReport(*state);
  const std::string expected = ExportBytes(state->ReportText);
  EXPECT_EQ(Bytes(exported), expected);
  EXPECT_NE(expected.find("Total CPU"), std::string::npos);  // the comparison was there
  // stdout holds the same lines with plain line ends.
  std::string plain = expected;
  for (std::size_t at = plain.find("\r\n"); at != std::string::npos; at = plain.find("\r\n", at)) plain.erase(at, 1);
  EXPECT_EQ(run.out, plain);

  // The loaded description comes back; a loaded file can be re-saved unchanged.
  const std::string again = folder / "again.qv3";
  run = Invoke({"--load", mine.c_str(), "--save", again.c_str(), "--description"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Bytes(again), Bytes(mine));
  EXPECT_NE(run.out.find("Brand           :  Mine"), std::string::npos);
}

TEST(CliFiles, FileProblemsPrintTheirMessageAndExitOne) {
  const TempFolder folder;
  CliRun run = Invoke({"--load", (folder / "missing.qv3").c_str()});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "Can't open file!\n");
  EXPECT_TRUE(run.out.empty());

  const std::string bad = folder / "bad.qv3";
  std::ofstream(bad, std::ios::binary) << "\r\nx\r\n1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n9\r\n10\r\n11\r\n12\r\n13\r\n14\r\n[drive";
  run = Invoke({"--compare", bad.c_str(), "-t", "q"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "This is not a Quorvane Mk III file!\n");

}

}  // namespace
}  // namespace quorvane

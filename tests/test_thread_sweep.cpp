// The thread sweep: the thread counts, the table and JSON of finished runs, and quorvane-cli
// --sweep with its refusals, its runs and what --save keeps.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "cli/CliProgram.h"
#include "tests/cli_invoke.h"
#include "cli/ThreadSweep.h"
#include "report/ResultFile.h"

namespace quorvane {
namespace {

using test_support::CliRun;
using test_support::Invoke;

SweepRun RunOf(int threads, std::initializer_list<std::pair<char, std::uint32_t>> rows) {
  SweepRun run{threads, {}};
  std::size_t row = 0;
  for (const auto& [code, value] : rows) SetRow(run.results[row++], code, value);
  return run;
}

TEST(ThreadSweep, CountsDoubleUpToTheLimitAndEndAtIt) {
  const std::vector<std::pair<int, std::vector<int>>> cases = {
      {0, {1}},          {1, {1}},          {2, {1, 2}},
      {3, {1, 2, 3}},    {4, {1, 2, 4}},    {6, {1, 2, 4, 6}},
      {128, {1, 2, 4, 8, 16, 32, 64, 128}}};
  for (const auto& [limit, counts] : cases) EXPECT_EQ(SweepThreadCounts(limit), counts) << limit;
}

TEST(ThreadSweep, TableAndJsonGiveSpeedUpAndEfficiencyAgainstOneThread) {
  // Dhrystone scales, Whetstone failed alone at one thread, memory measured 0 at one thread,
  // queens measured only at two.
  const std::vector<SweepRun> runs = {RunOf(1, {{'d', 1000}, {'m', 0}}),
                                      RunOf(2, {{'d', 1900}, {'w', 50}, {'q', 7}, {'m', 10}}),
                                      RunOf(3, {{'d', 2500}})};
  const std::string expected =
      "threads  test                            score  unit      speed-up  efficiency\n"
      "      1  Dhrystone 2.1                    1000  kDhryst.      1.00       100 %\n"
      "      1  Memory throughput                   0  kB/sec         n/a         n/a\n"
      "      2  Dhrystone 2.1                    1900  kDhryst.      1.90        95 %\n"
      "      2  Whetstone                          50  MFLOPS         n/a         n/a\n"
      "      2  Eight queens problem                7  pps            n/a         n/a\n"
      "      2  Memory throughput                  10  kB/sec         n/a         n/a\n"
      "      3  Dhrystone 2.1                    2500  kDhryst.      2.50        83 %\n";
  EXPECT_EQ(SweepTable(runs), expected);

  ResultTable other{};
  SetRow(other[0], 'd', 2000);
  const nlohmann::json json = SweepAsJson(runs, other);
  ASSERT_EQ(json.size(), 3u);
  EXPECT_EQ(json[1]["threads"], 2);
  const nlohmann::json& dhrystone = json[1]["results"][0];
  EXPECT_EQ(dhrystone["code"], "d");
  EXPECT_EQ(dhrystone["value"], 1900);
  EXPECT_EQ(dhrystone["comparison"], 2000);
  EXPECT_DOUBLE_EQ(dhrystone["speedup"].get<double>(), 1.9);
  EXPECT_EQ(dhrystone["efficiency"], 95);
  EXPECT_FALSE(json[1]["results"][1].contains("speedup"));
  EXPECT_EQ(json[2]["results"][0]["efficiency"], 83);
}

TEST(ThreadSweep, RefusedWithLoadOrDiskTestsAloneOtherwiseRunsEveryCountAndSavesTheLast) {
  for (const std::vector<const char*>& words :
       {std::vector<const char*>{"--sweep", "--load", "x.qv3"},
        std::vector<const char*>{"--sweep", "-d", "C"}}) {
    const CliRun run = Invoke(words);
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(run.out.empty());
    EXPECT_TRUE(run.err.starts_with("quorvane-cli: --sweep") && run.err.find('\n') == run.err.size() - 1)
        << run.err;
  }

  const std::filesystem::path saved =
      std::filesystem::temp_directory_path() / ("sweep-" + std::to_string(::getpid()) + ".qv3");
  CliRun run = Invoke({"--sweep", "-t", "queens", "-j", "3", "--no-realtime", "--json", "--save",
                       saved.c_str()});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.err.find("Sweep with 3 threads"), std::string::npos);
  const nlohmann::json json = nlohmann::json::parse(run.out);
  ASSERT_EQ(json["sweep"].size(), 3u);
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(json["sweep"][i]["threads"], std::vector<int>({1, 2, 3})[i]);
    ASSERT_EQ(json["sweep"][i]["results"].size(), 1u);
    EXPECT_EQ(json["sweep"][i]["results"][0]["code"], "q");
    EXPECT_GT(json["sweep"][i]["results"][0]["value"].get<long long>(), 0);
  }
  EXPECT_EQ(json["sweep"][0]["results"][0]["efficiency"], 100);
  // The top level and the saved file are the run at the highest count.
  EXPECT_EQ(json["threads"], 3);
  nlohmann::json last = json["sweep"][2]["results"][0];
  last.erase("speedup");
  last.erase("efficiency");
  EXPECT_EQ(json["results"], nlohmann::json::array({last}));
  BenchmarkState loaded;
  ASSERT_EQ(ReadResultFile(loaded, FileTarget::ThisMachine, saved), FileOutcome::Done);
  std::filesystem::remove(saved);
  EXPECT_EQ(FieldText(loaded.thisMachine.threads), "3");
  EXPECT_EQ(ReadValue(ValueText(loaded.thisResults[0])), json["results"][0]["value"].get<int>());

  // The table: a header and one line per count.
  run = Invoke({"--sweep", "-q", "-t", "q", "-j", "2", "--no-realtime"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(run.err.empty());
  std::istringstream lines(run.out);
  std::vector<std::string> table;
  for (std::string line; std::getline(lines, line);) table.push_back(line);
  ASSERT_EQ(table.size(), 3u) << run.out;
  EXPECT_TRUE(table[1].starts_with("      1  Eight queens problem")) << table[1];
  EXPECT_TRUE(table[1].ends_with("1.00       100 %")) << table[1];
  EXPECT_TRUE(table[2].starts_with("      2  Eight queens problem")) << table[2];
}

}  // namespace
}  // namespace quorvane

// Repeated runs: rows matched across repetitions (tests by code, disk rows by drive and
// position), medians written in a single run's order, spreads, the noisy mark and missing rows.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/RepeatedRuns.h"

namespace quorvane {
namespace {

// Test rows by code and value, then a drive block of seven rows from each letter and base value.
ResultTable TableOf(const std::vector<std::pair<char, std::uint32_t>>& tests,
                    const std::string& drives, const std::vector<std::uint32_t>& bases) {
  ResultTable table{};
  std::size_t row = 0;
  for (const auto& [code, value] : tests) SetRow(table[row++], code, value);
  for (std::size_t d = 0; d < drives.size(); ++d) {
    for (std::uint32_t k = 0; k < 7; ++k)
      SetRow(table[row++], k == 0 ? drives[d] : ' ', bases[d] + k);
  }
  return table;
}

TEST(RepeatedRuns, MediansSpreadsAndMissingRepetitions) {
  RepeatedRuns runs;
  runs.Add(TableOf({{'d', 100}, {'w', 50}}, "C", {1000}));
  runs.Add(TableOf({{'d', 120}}, "C", {3000}));  // Whetstone failed in this repetition
  runs.Add(TableOf({{'d', 101}, {'w', 51}}, "CE", {2000, 10}));  // drive E only in the third

  ResultTable medians = TableOf({}, "xyz", {1, 2, 3});  // every earlier row is replaced
  ASSERT_EQ(runs.WriteMedians(medians), 16);
  std::string codes;
  for (int row = 0; row < 17; ++row) codes += medians[static_cast<std::size_t>(row)].code;
  EXPECT_EQ(codes, std::string("dwC      E      ") + '\0');
  // Odd count: the middle one; even count: the mean of the two middle ones, rounded down.
  EXPECT_EQ(ReadValue(ValueText(medians[1])), 50);
  for (int k = 0; k < 7; ++k) {
    EXPECT_EQ(ReadValue(ValueText(medians[static_cast<std::size_t>(2 + k)])), 2000 + k);
    EXPECT_EQ(ReadValue(ValueText(medians[static_cast<std::size_t>(9 + k)])), 10 + k);
  }

  const std::vector<RepeatedRow>& rows = runs.rows();
  ASSERT_EQ(rows.size(), 16u);
  EXPECT_EQ(rows[0].samples, (std::vector<std::int64_t>{100, 120, 101}));
  EXPECT_EQ(rows[1].missing, std::vector<int>{2});
  EXPECT_EQ(rows[9].missing, (std::vector<int>{1, 2}));
  EXPECT_EQ(RepeatedRuns::RowName(rows[3]), "Drive C: Read average");
  // 20 of 101 is noisy; 51 - 50 is 2 % of 50, which is not.
  const std::string table = SpreadTable(runs);
  EXPECT_NE(
      table.find(
          "Dhrystone 2.1                           100          101          120    19.8%  noisy\n"),
      std::string::npos)
      << table;
  EXPECT_NE(table.find("2.0%  missing in repetition 2\n"), std::string::npos) << table;
  EXPECT_NE(table.find("missing in repetitions 1, 2\n"), std::string::npos) << table;
}

}  // namespace
}  // namespace quorvane

// Repeated runs: rows matched across repetitions (tests by code, disk rows by drive and
// position), medians written in a single run's order, spreads, the noisy mark and missing rows.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/RepeatedRuns.h"

namespace quorvane {
namespace {

struct Row {
  char code;
  std::uint32_t value;
};

ResultTable TableOf(const std::vector<Row>& rows) {
  ResultTable table{};
  for (std::size_t i = 0; i < rows.size(); ++i) SetRow(table[i], rows[i].code, rows[i].value);
  return table;
}

std::vector<Row> DriveBlock(char letter, std::uint32_t base) {
  std::vector<Row> rows;
  for (std::uint32_t k = 0; k < 7; ++k) rows.push_back({k == 0 ? letter : ' ', base + k});
  return rows;
}

TEST(RepeatedRuns, MediansSpreadsAndMissingRepetitions) {
  RepeatedRuns runs;
  std::vector<Row> first = {{'d', 100}, {'w', 50}};
  for (const Row& row : DriveBlock('C', 1000)) first.push_back(row);
  std::vector<Row> second = {{'d', 120}};  // Whetstone failed in this repetition
  for (const Row& row : DriveBlock('C', 3000)) second.push_back(row);
  std::vector<Row> third = {{'d', 101}, {'w', 51}};
  for (const Row& row : DriveBlock('C', 2000)) third.push_back(row);
  for (const Row& row : DriveBlock('E', 10)) third.push_back(row);  // drive E only in the third
  runs.Add(TableOf(first));
  runs.Add(TableOf(second));
  runs.Add(TableOf(third));
  EXPECT_EQ(runs.repetitions(), 3);

  ResultTable medians = TableOf({{'x', 1}, {'y', 2}, {'z', 3}, {'q', 4}, {'r', 5}, {'s', 6},
                                 {'t', 7}, {'u', 8}, {'v', 9}, {'a', 9}, {'b', 9}, {'e', 9},
                                 {'g', 9}, {'h', 9}, {'i', 9}, {'j', 9}, {'k', 9}, {'l', 9}});
  ASSERT_EQ(runs.WriteMedians(medians), 16);
  std::string codes;
  for (int row = 0; row < 17; ++row) codes += medians[static_cast<std::size_t>(row)].code;
  EXPECT_EQ(codes, std::string("dwC      E      ") + '\0');
  // Odd count: the middle one; even count: the mean of the two middle ones, rounded down.
  EXPECT_EQ(ReadValue(ValueText(medians[0])), 101);
  EXPECT_EQ(ReadValue(ValueText(medians[1])), 50);
  for (int k = 0; k < 7; ++k) {
    EXPECT_EQ(ReadValue(ValueText(medians[static_cast<std::size_t>(2 + k)])), 2000 + k);
    EXPECT_EQ(ReadValue(ValueText(medians[static_cast<std::size_t>(9 + k)])), 10 + k);
  }

  const std::vector<RepeatedRow>& rows = runs.rows();
  ASSERT_EQ(rows.size(), 16u);
  EXPECT_EQ(rows[0].samples, (std::vector<std::int64_t>{100, 120, 101}));
  EXPECT_NEAR(rows[0].SpreadPercent(), 20.0 * 100.0 / 101.0, 1e-9);
  EXPECT_TRUE(rows[0].Noisy());
  EXPECT_EQ(rows[1].missing, std::vector<int>{2});
  EXPECT_FALSE(rows[1].Noisy());  // 51 - 50 is 2 % of 50
  EXPECT_EQ(rows[9].missing, (std::vector<int>{1, 2}));
  EXPECT_EQ(RepeatedRuns::RowName(rows[3]), "Drive C: Read average");

  const std::string table = SpreadTable(runs);
  EXPECT_NE(table.find("Spread over 3 repetitions:"), std::string::npos);
  EXPECT_NE(table.find("Dhrystone 2.1"), std::string::npos);
  EXPECT_NE(table.find("19.8%  noisy\n"), std::string::npos) << table;
  EXPECT_NE(table.find("2.0%  missing in repetition 2\n"), std::string::npos) << table;
  EXPECT_NE(table.find("missing in repetitions 1, 2\n"), std::string::npos) << table;
}

}  // namespace
}  // namespace quorvane

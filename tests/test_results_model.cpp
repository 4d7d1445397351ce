// The results model: the rows, percents and totals that the text report and the chart share.
#include <gtest/gtest.h>

#include "report/ResultsModel.h"

namespace quorvane {
namespace {

void Put(ResultTable& table, std::size_t row, char code, std::uint32_t value) {
  SetRow(table[row], code, value);
}

TEST(ResultsModel, RowsFollowTheReportsMatchingAndTotalsOnlyTheComparedGroups) {
  ResultTable mine{};
  ResultTable other{};
  EXPECT_TRUE(BuildResultsModel(mine, other).rows.empty());

  // Rows are matched in the fixed test order from row 0: the 'd' at row 3 comes after 'q' and
  // is never shown.
  Put(mine, 0, 'd', 1500);
  Put(mine, 1, 'w', 999);
  Put(mine, 2, 'q', 42);
  Put(mine, 3, 'd', 7);
  Put(mine, 4, 'C', 51200);
  Put(other, 0, 'C', 1);   // a drive row of the comparison is no test
  Put(other, 5, 'w', 1000);
  Put(other, 6, 'd', 1000);
  Put(other, 7, 'd', 1);   // only the first row of a code counts

  ResultsModel model = BuildResultsModel(mine, other);
  ASSERT_EQ(model.rows.size(), 3u);
  EXPECT_EQ(model.rows[0].test->code, 'd');
  EXPECT_EQ(model.rows[0].test->name, "Dhrystone 2.1");
  EXPECT_EQ(model.rows[0].thisText, "      1500");
  EXPECT_EQ(model.rows[0].otherText, "      1000");
  EXPECT_EQ(model.rows[0].percent, 150);
  EXPECT_EQ(model.rows[1].percent, 99);  // truncated
  EXPECT_FALSE(model.rows[2].Compared());
  EXPECT_EQ(model.rows[2].percent, 0);
  EXPECT_EQ(model.totals.totalCpu, 150);  // the uncompared queens row does not count
  EXPECT_EQ(model.totals.totalFpu, 99);
  EXPECT_EQ(model.totals.average, (150 + 99) / 2);
  EXPECT_EQ(model.totals.applicationPerformance, (92 * 150 + 8 * 99 + 92) / 100);

  // A floating-point group alone has no average and no application performance; a zero
  // comparison gives 0 percent and still counts.
  mine = {};
  other = {};
  Put(mine, 0, 'w', 5);
  Put(other, 0, 'w', 0);
  model = BuildResultsModel(mine, other);
  ASSERT_EQ(model.rows.size(), 1u);
  EXPECT_TRUE(model.rows[0].Compared());
  EXPECT_EQ(model.totals.totalFpu, 0);
  EXPECT_FALSE(model.totals.totalCpu || model.totals.average ||
               model.totals.applicationPerformance);

}

}  // namespace
}  // namespace quorvane

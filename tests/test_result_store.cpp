// The result store: numeric reading of value texts, field and row writers, described drives.
#include <gtest/gtest.h>

#include <string>

#include "engine/BenchmarkState.h"
#include "engine/ResultStore.h"

namespace quorvane {
namespace {

TEST(ResultStore, NumericReadingTakesTheLeadingDecimalInteger) {
  EXPECT_EQ(ReadValue("      1234"), 1234);
  EXPECT_EQ(ReadValue("  \t 42abc7"), 42);
  EXPECT_EQ(ReadValue("+17"), 17);
  EXPECT_EQ(ReadValue("-17 x"), -17);
  EXPECT_EQ(ReadValue(""), 0);
  EXPECT_EQ(ReadValue("abc12"), 0);
  EXPECT_EQ(ReadValue("   "), 0);
  EXPECT_EQ(ReadValue("-"), 0);
  EXPECT_EQ(ReadValue("2147483647"), 2147483647);
}

TEST(ResultStore, NumericReadingWrapsBeyondThirtyTwoBits) {
  EXPECT_EQ(ReadValue("2147483648"), -2147483647 - 1);
  EXPECT_EQ(ReadValue("4294967295"), -1);
  EXPECT_EQ(ReadValue("4294967296"), 0);
  EXPECT_EQ(ReadValue("4294967297"), 1);
  // Far beyond 64 bits too: 10^30 mod 2^32 = 1073741824.
  EXPECT_EQ(ReadValue("1000000000000000000000000000000"), 1073741824);
}

TEST(ResultStore, RowsHoldTenCharacterValues) {
  ResultEntry row;
  SetRow(row, 'd', 1234);
  EXPECT_EQ(row.code, 'd');
  EXPECT_EQ(std::string(ValueText(row)), "      1234");
  SetRow(row, 'm', 4294967295u);
  EXPECT_EQ(std::string(ValueText(row)), "4294967295");
  SetRow(row, ' ', 0);
  EXPECT_EQ(std::string(ValueText(row)), "         0");
}

TEST(ResultStore, FieldsAreCutAtSixtyThreeCharacters) {
  DescriptionField field;
  SetField(field, std::string(100, 'a'));
  EXPECT_EQ(FieldText(field), std::string(63, 'a'));
  SetField(field, "short");
  EXPECT_EQ(FieldText(field), "short");
  SetField(field, "");
  EXPECT_EQ(FieldText(field), "");
}

TEST(ResultStore, ADriveIsDescribedOnlyByItsOwnLetter) {
  DriveTable drives{};
  EXPECT_FALSE(IsDriveDescribed(drives, 0));
  SetField(drives[0].harddisk, "some disk");
  EXPECT_FALSE(IsDriveDescribed(drives, 0));  // text in other fields does not count
  SetField(drives[0].letter, "D");
  EXPECT_FALSE(IsDriveDescribed(drives, 0));  // record 0 is drive C
  SetField(drives[1].letter, "D");
  EXPECT_TRUE(IsDriveDescribed(drives, 1));
  SetField(drives[23].letter, "Z");
  EXPECT_TRUE(IsDriveDescribed(drives, 23));
}

TEST(ResultStore, RowsAreFoundByCodeWhereverTheyStand) {
  ResultTable table{};
  SetRow(table[3], 'w', 1);
  SetRow(table[99], 'q', 2);
  SetRow(table[50], 'w', 3);  // after an empty row: still found, but the first one counts
  EXPECT_EQ(FindRowByCode(table, 'w'), 3);
  EXPECT_EQ(FindRowByCode(table, 'q'), 99);
  EXPECT_EQ(FindRowByCode(table, 'd'), -1);
}

TEST(ResultStore, EmptyingATableClearsCodesAndValues) {
  ResultTable table{};
  for (auto& row : table) SetRow(row, 'd', 7);
  EmptyResultTable(table);
  for (const auto& row : table) {
    EXPECT_EQ(row.code, '\0');
    EXPECT_EQ(row.value[0], '\0');
  }
}

TEST(ResultStore, AFreshStateIsEmpty) {
  const BenchmarkState state;
  EXPECT_EQ(state.thisResults[0].code, '\0');
  EXPECT_EQ(state.otherResults[0].code, '\0');
  EXPECT_EQ(state.resultCount, 0);
  EXPECT_FALSE(state.descriptionConfirmed);
  EXPECT_FALSE(state.descriptionShown);
  for (const auto& line : state.ReportText) EXPECT_EQ(line[0], '\0');
  for (int k = 0; k < kDriveRecords; ++k) {
    EXPECT_FALSE(IsDriveDescribed(state.thisDrives, k));
    EXPECT_FALSE(IsDriveDescribed(state.otherDrives, k));
  }
  EXPECT_EQ(FieldText(state.thisMachine.threads), "");
}

}  // namespace
}  // namespace quorvane

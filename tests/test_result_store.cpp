// The result store: numeric reading of value texts, field and row writers, described drives.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "engine/BenchmarkState.h"
#include "engine/ResultStore.h"

namespace quorvane {
namespace {

// The leading decimal integer, wrapping modulo 2^32 beyond the 32-bit range (10^30 too).
TEST(ResultStore, NumericReadingTakesTheLeadingIntegerAndWraps) {
  const std::pair<const char*, std::int32_t> cases[] = {
      {"      1234", 1234}, {"  \t 42abc7", 42}, {"+17", 17}, {"-17 x", -17}, {"", 0},
      {"abc12", 0}, {"-", 0}, {"2147483647", 2147483647}, {"2147483648", -2147483647 - 1},
      {"4294967295", -1}, {"4294967297", 1}, {"1000000000000000000000000000000", 1073741824}};
  for (const auto& [text, value] : cases) EXPECT_EQ(ReadValue(text), value) << text;
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

}  // namespace
}  // namespace quorvane

// The test selection and its menu operations.
#include <gtest/gtest.h>

#include "engine/TestSelection.h"

namespace quorvane {
namespace {

int SelectedTests(const TestSelection& selection) {
  int count = 0;
  for (TestId test : kAllTests) count += TestFlag(selection, test) ? 1 : 0;
  return count;
}

int SelectedDrives(const TestSelection& selection) {
  int count = 0;
  for (bool flag : selection.runDrive) count += flag ? 1 : 0;
  return count;
}

TEST(TestSelection, StartsWithNothingChosenAndRealTimeOn) {
  const TestSelection selection;
  EXPECT_EQ(SelectedTests(selection), 0);
  EXPECT_EQ(SelectedDrives(selection), 0);
  EXPECT_EQ(selection.LengthFactor, 2);
  EXPECT_TRUE(selection.RealTimePriority);
}

TEST(TestSelection, TogglingTwiceRestoresEachFlag) {
  for (TestId test : kAllTests) {
    TestSelection selection;
    EXPECT_TRUE(ToggleTest(selection, test));
    EXPECT_TRUE(TestFlag(selection, test));
    EXPECT_EQ(SelectedTests(selection), 1);  // only its own flag
    EXPECT_FALSE(ToggleTest(selection, test));
    EXPECT_EQ(SelectedTests(selection), 0);
  }
}

TEST(TestSelection, EachDriveCommandChangesOnlyItsLetter) {
  TestSelection selection;
  EXPECT_TRUE(ToggleDrive(selection, 'J'));
  EXPECT_TRUE(selection.runDrive['J' - 'A']);
  EXPECT_EQ(SelectedDrives(selection), 1);
  EXPECT_TRUE(ToggleDrive(selection, 'C'));
  EXPECT_TRUE(ToggleDrive(selection, 'Z'));
  EXPECT_EQ(SelectedDrives(selection), 3);
  EXPECT_FALSE(ToggleDrive(selection, 'J'));
  EXPECT_EQ(SelectedDrives(selection), 2);
  // A and B cannot be chosen.
  EXPECT_FALSE(ToggleDrive(selection, 'A'));
  EXPECT_FALSE(ToggleDrive(selection, 'B'));
  EXPECT_FALSE(selection.runDrive[0]);
  EXPECT_FALSE(selection.runDrive[1]);
}

TEST(TestSelection, SelectAndDeselectAllLeaveDrivesAndOptionsAlone) {
  TestSelection selection;
  ToggleTest(selection, TestId::Queens);
  ToggleDrive(selection, 'D');
  ToggleLongTests(selection);
  SelectAllTests(selection);
  EXPECT_EQ(SelectedTests(selection), 7);
  EXPECT_TRUE(selection.runMemory);
  EXPECT_TRUE(selection.runDrive['D' - 'A']);
  EXPECT_EQ(SelectedDrives(selection), 1);
  DeselectAllTests(selection);
  EXPECT_EQ(SelectedTests(selection), 0);
  EXPECT_TRUE(selection.runDrive['D' - 'A']);
  EXPECT_EQ(selection.LengthFactor, 4);
  EXPECT_TRUE(selection.RealTimePriority);
}

TEST(TestSelection, LongTestsAndRealTimeToggle) {
  TestSelection selection;
  EXPECT_TRUE(ToggleLongTests(selection));
  EXPECT_EQ(selection.LengthFactor, 4);
  EXPECT_FALSE(ToggleLongTests(selection));
  EXPECT_EQ(selection.LengthFactor, 2);
  selection.LengthFactor = 7;  // anything but 2 goes back to 2
  EXPECT_FALSE(ToggleLongTests(selection));
  EXPECT_EQ(selection.LengthFactor, 2);
  EXPECT_FALSE(ToggleRealTime(selection));
  EXPECT_TRUE(ToggleRealTime(selection));
}

}  // namespace
}  // namespace quorvane

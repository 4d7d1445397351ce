#include "engine/TestSelection.h"

namespace quorvane {

bool& TestFlag(TestSelection& selection, TestId test) {
  switch (test) {
    case TestId::Dhrystone:
      return selection.runDhrystone;
    case TestId::Whetstone:
      return selection.runWhetstone;
    case TestId::Queens:
      return selection.runQueens;
    case TestId::Matrix:
      return selection.runMatrix;
    case TestId::NumberCrunch:
      return selection.runNumberCrunch;
    case TestId::FloatingPoint:
      return selection.runFloatingPoint;
    case TestId::Memory:
      break;
  }
  return selection.runMemory;
}

bool TestFlag(const TestSelection& selection, TestId test) {
  return TestFlag(const_cast<TestSelection&>(selection), test);
}

bool ToggleTest(TestSelection& selection, TestId test) {
  bool& flag = TestFlag(selection, test);
  flag = !flag;
  return flag;
}

bool ToggleDrive(TestSelection& selection, char letter) {
  if (letter < 'C' || letter > 'Z') return false;
  bool& flag = selection.runDrive[static_cast<std::size_t>(letter - 'A')];
  flag = !flag;
  return flag;
}

void SelectAllTests(TestSelection& selection) {
  for (TestId test : kAllTests) TestFlag(selection, test) = true;
}

void DeselectAllTests(TestSelection& selection) {
  for (TestId test : kAllTests) TestFlag(selection, test) = false;
}

bool ToggleLongTests(TestSelection& selection) {
  selection.LengthFactor = selection.LengthFactor == 2 ? 4 : 2;
  return selection.LengthFactor == 4;
}

bool ToggleRealTime(TestSelection& selection) {
  selection.RealTimePriority = !selection.RealTimePriority;
  return selection.RealTimePriority;
}

bool ToggleQuickTests(TestSelection& selection) {
  selection.quickTests = !selection.quickTests;
  return selection.quickTests;
}

}  // namespace quorvane

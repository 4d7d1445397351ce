// The user's choice for the next run: which tests and drives, long tests, real-time priority,
// with the operations that the menu commands carry out. Nothing here is saved or loaded.
#pragma once

#include <array>
#include <cstdint>

namespace quorvane {

// The seven processor and memory tests, in the order in which a run performs them.
enum class TestId { Dhrystone, Whetstone, Queens, Matrix, NumberCrunch, FloatingPoint, Memory };
constexpr int kTestCount = 7;
inline constexpr std::array<TestId, kTestCount> kAllTests = {
    TestId::Dhrystone,    TestId::Whetstone,     TestId::Queens, TestId::Matrix,
    TestId::NumberCrunch, TestId::FloatingPoint, TestId::Memory};

struct TestSelection {
  bool runDhrystone = false;
  bool runWhetstone = false;
  bool runQueens = false;
  bool runMatrix = false;
  bool runNumberCrunch = false;
  bool runFloatingPoint = false;
  bool runMemory = false;
  std::array<bool, 26> runDrive{};  // index 0 = A ... 25 = Z; only C..Z can be set
  std::int32_t LengthFactor = 2;    // 4 while "Long tests" is on
  bool RealTimePriority = true;
  // "Quick tests (fixed work)": each test runs its fixed work in one interval instead of being
  // measured steadily in rounds.
  bool quickTests = false;
};

// The flag of one test.
bool& TestFlag(TestSelection& selection, TestId test);
bool TestFlag(const TestSelection& selection, TestId test);

// Each operation returns the new state of what it changed, for the menu's check mark.
bool ToggleTest(TestSelection& selection, TestId test);
// Letters outside C..Z change nothing and return false.
bool ToggleDrive(TestSelection& selection, char letter);
void SelectAllTests(TestSelection& selection);
void DeselectAllTests(TestSelection& selection);
// LengthFactor 2 becomes 4 (true: checked); any other value becomes 2 (false).
bool ToggleLongTests(TestSelection& selection);
bool ToggleRealTime(TestSelection& selection);
bool ToggleQuickTests(TestSelection& selection);

}  // namespace quorvane

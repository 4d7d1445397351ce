// The fixed facts of the seven processor and memory tests and of the seven rows of a drive block:
// row code, report label and unit, menu text, command-line name, loop count per worker and score
// constant. Every other place that names a test reads it from here. Read-only data.
#pragma once

#include <array>
#include <climits>
#include <cstdint>
#include <string_view>

#include "engine/TestSelection.h"

namespace quorvane {

// The totals line of the report whose percentage a test's line enters.
enum class TestGroup { Processor, FloatingPoint };

struct TestInfo {
  TestId id;
  char code;
  std::string_view name;  // the report's label, also used in progress and messages
  std::string_view unit;  // the report's unit
  std::string_view menuText;
  std::string_view cliName;  // the word --tests takes besides the code
  TestGroup group;
  std::int32_t loopsPerLengthFactor;  // K: each worker runs LengthFactor × K units
  double scoreConstant;               // the constant of the test's score formula
  // The largest loop count a worker's kernel takes before a 32-bit count inside it would wrap
  // (Whetstone's module 8 repeats 899 times its loop count); steady measurement stays below it.
  std::int32_t largestLoopCount = INT32_MAX;
};

inline constexpr std::array<TestInfo, kTestCount> kTestTable = {{
    {TestId::Dhrystone, 'd', "Dhrystone 2.1", "kDhryst.", "Dhrystones", "dhrystone",
     TestGroup::Processor, 4000000, 4000000.0},
    {TestId::Whetstone, 'w', "Whetstone", "MFLOPS", "Whetstones", "whetstone",
     TestGroup::FloatingPoint, 20000, 2000000.0, INT32_MAX / 899},
    {TestId::Queens, 'q', "Eight queens problem", "pps", "Eight Queens", "queens",
     TestGroup::Processor, 10000, 10000000.0},
    {TestId::Matrix, 'c', "Matrix operations", "k ops", "Matrix operations", "matrix",
     TestGroup::Processor, 4, 27878400.0},
    {TestId::NumberCrunch, 'n', "Number crunch", "k ops", "Number crunching", "crunch",
     TestGroup::Processor, 250000, 117500000.0},
    {TestId::FloatingPoint, 'f', "Floating point", "k ops", "Floating point unit", "fpu",
     TestGroup::FloatingPoint, 150000, 6600000.0},
    {TestId::Memory, 'm', "Memory throughput", "kB/sec", "Memory throughput", "memory",
     TestGroup::Processor, 10, 607680.0},  // bytes a memory worker writes per unit
}};

constexpr const TestInfo& InfoOf(TestId test) { return kTestTable[static_cast<std::size_t>(test)]; }

// The test whose rows carry `code`, or nullptr (drive rows and empty rows have none).
inline const TestInfo* FindTestByCode(char code) {
  for (const TestInfo& info : kTestTable) {
    if (info.code == code) return &info;
  }
  return nullptr;
}

// One row of a drive block: label and unit, in the order of the block's seven rows.
struct DriveRowInfo {
  std::string_view name;
  std::string_view unit;
};

constexpr int kDriveBlockRows = 7;
inline constexpr std::array<DriveRowInfo, kDriveBlockRows> kDriveRowTable = {{
    {"Read max", "kB/sec"},
    {"Read average", "kB/sec"},
    {"Read min", "kB/sec"},
    {"Write max", "kB/sec"},
    {"Write average", "kB/sec"},
    {"Write min", "kB/sec"},
    {"CPU usage", "percent"},
}};

// A row whose code is a capital letter starts a drive block.
inline bool StartsDriveBlock(char code) { return code >= 'A' && code <= 'Z'; }

}  // namespace quorvane

// The fixed facts of the seven processor and memory tests: row code, name, report unit and the
// loop count per worker (times the length factor). Read-only data.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "engine/TestSelection.h"

namespace quorvane {

struct TestInfo {
  TestId id;
  char code;
  std::string_view name;
  std::string_view unit;
  std::int32_t loopsPerLengthFactor;  // K: each worker runs LengthFactor × K units
};

inline constexpr std::array<TestInfo, kTestCount> kTestTable = {{
    {TestId::Dhrystone, 'd', "Dhrystone 2.1", "kDhryst.", 4000000},
    {TestId::Whetstone, 'w', "Whetstone", "MFLOPS", 20000},
    {TestId::Queens, 'q', "Eight queens problem", "pps", 10000},
    {TestId::Matrix, 'c', "Matrix operations", "k ops", 4},
    {TestId::NumberCrunch, 'n', "Number crunch", "k ops", 250000},
    {TestId::FloatingPoint, 'f', "Floating point", "k ops", 150000},
    {TestId::Memory, 'm', "Memory throughput", "kB/sec", 10},
}};

inline const TestInfo& InfoOf(TestId test) { return kTestTable[static_cast<std::size_t>(test)]; }

// The test whose rows carry `code`, or nullptr (drive rows and empty rows have none).
inline const TestInfo* FindTestByCode(char code) {
  for (const TestInfo& info : kTestTable) {
    if (info.code == code) return &info;
  }
  return nullptr;
}

}  // namespace quorvane

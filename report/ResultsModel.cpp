#include "report/ResultsModel.h"

namespace quorvane {

namespace {

struct GroupTotal {
  std::int64_t sum = 0;
  std::int64_t count = 0;
};

// This value as a percentage of the other, truncated; 0 when the other reads 0. The values are
// unsigned 32-bit and the percentage 64-bit, so that large values neither overflow, wrap nor
// turn negative.
std::int64_t Percent(std::uint32_t thisValue, std::uint32_t otherValue) {
  if (otherValue == 0) return 0;
  return std::int64_t{thisValue} * 100 / otherValue;
}

ResultsTotals TotalsOf(const GroupTotal& cpu, const GroupTotal& fpu) {
  ResultsTotals totals;
  if (cpu.count != 0) totals.totalCpu = cpu.sum / cpu.count;
  if (fpu.count != 0) totals.totalFpu = fpu.sum / fpu.count;
  if (cpu.count != 0) {
    totals.average = (cpu.sum + fpu.sum) / (cpu.count + fpu.count);
    if (fpu.count != 0) {
      totals.applicationPerformance = (92 * *totals.totalCpu + 8 * *totals.totalFpu + 92) / 100;
    }
  }
  return totals;
}

}  // namespace

ResultsModel BuildResultsModel(const ResultTable& thisResults, const ResultTable& otherResults) {
  ResultsModel model;
  GroupTotal cpu;
  GroupTotal fpu;
  std::size_t row = 0;
  for (const TestInfo& test : kTestTable) {
    const ResultEntry& thisRow = thisResults[row];
    if (thisRow.code != test.code) continue;
    ResultsRow line;
    line.test = &test;
    line.thisText = std::string(ValueText(thisRow));
    if (const int other = FindRowByCode(otherResults, test.code); other >= 0) {
      line.otherText = std::string(ValueText(otherResults[static_cast<std::size_t>(other)]));
      line.percent = Percent(ReadUnsignedValue(line.thisText), ReadUnsignedValue(*line.otherText));
      GroupTotal& group = test.group == TestGroup::Processor ? cpu : fpu;
      group.sum += line.percent;
      group.count += 1;
    }
    model.rows.push_back(std::move(line));
    ++row;
  }
  model.totals = TotalsOf(cpu, fpu);
  return model;
}

}  // namespace quorvane

#include "engine/RepeatedRuns.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <string_view>
#include <utility>

#include "engine/TestTable.h"

namespace quorvane {

namespace {

// A stored value text ("%10u") as a number.
std::int64_t SampleOf(const ResultEntry& entry) {
  const std::string_view text = ValueText(entry);
  const auto first = text.find_first_not_of(' ');
  std::uint32_t value = 0;
  if (first != std::string_view::npos &&
      std::from_chars(text.data() + first, text.data() + text.size(), value).ec == std::errc()) {
    return value;
  }
  return ReadValue(text);
}

// The position of a row in a single run: tests in table order, then drives by letter.
int OrderOf(const RepeatedRow& row) {
  if (const TestInfo* info = FindTestByCode(row.code);
      info != nullptr && row.blockRow == 0 && !StartsDriveBlock(row.code)) {
    return static_cast<int>(info->id);
  }
  return kTestCount + (row.code - 'A') * kDriveBlockRows + row.blockRow;
}

}  // namespace

std::int64_t RepeatedRow::Min() const {
  return samples.empty() ? 0 : *std::min_element(samples.begin(), samples.end());
}

std::int64_t RepeatedRow::Max() const {
  return samples.empty() ? 0 : *std::max_element(samples.begin(), samples.end());
}

std::int64_t RepeatedRow::Median() const {
  if (samples.empty()) return 0;
  std::vector<std::int64_t> sorted = samples;
  std::sort(sorted.begin(), sorted.end());
  const std::size_t middle = sorted.size() / 2;
  return sorted.size() % 2 == 1 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2;
}

double RepeatedRow::SpreadPercent() const {
  const std::int64_t median = Median();
  return median == 0 ? 0.0
                     : static_cast<double>(Max() - Min()) * 100.0 / static_cast<double>(median);
}

RepeatedRow& RepeatedRuns::RowFor(char code, int blockRow) {
  for (RepeatedRow& row : rows_) {
    if (row.code == code && row.blockRow == blockRow) return row;
  }
  RepeatedRow row;
  row.code = code;
  row.blockRow = blockRow;
  // Called while repetition `repetitions_` is being added: the ones before it lacked the row.
  for (int earlier = 1; earlier < repetitions_; ++earlier) row.missing.push_back(earlier);
  const auto at = std::upper_bound(
      rows_.begin(), rows_.end(), row,
      [](const RepeatedRow& a, const RepeatedRow& b) { return OrderOf(a) < OrderOf(b); });
  return *rows_.insert(at, std::move(row));
}

void RepeatedRuns::Add(const ResultTable& results) {
  ++repetitions_;
  std::vector<std::pair<char, int>> seen;  // keys: a new row may move the others
  char drive = '\0';
  int blockRow = 0;
  for (const ResultEntry& entry : results) {
    if (entry.code == '\0') break;
    if (StartsDriveBlock(entry.code)) {
      drive = entry.code;
      blockRow = 0;
    } else if (entry.code == ' ' && drive != '\0' && blockRow + 1 < kDriveBlockRows) {
      ++blockRow;
    } else {
      drive = '\0';
      blockRow = 0;
    }
    RepeatedRow& row = RowFor(drive != '\0' ? drive : entry.code, blockRow);
    row.samples.push_back(SampleOf(entry));
    seen.emplace_back(row.code, row.blockRow);
  }
  for (RepeatedRow& row : rows_) {
    if (std::find(seen.begin(), seen.end(), std::pair(row.code, row.blockRow)) == seen.end()) {
      row.missing.push_back(repetitions_);
    }
  }
}

int RepeatedRuns::WriteMedians(ResultTable& results) const {
  for (ResultEntry& entry : results) entry.code = '\0';
  int count = 0;
  for (const RepeatedRow& row : rows_) {
    if (count >= kResultRows || row.samples.empty()) continue;
    const char code = StartsDriveBlock(row.code) && row.blockRow > 0 ? ' ' : row.code;
    SetRow(results[static_cast<std::size_t>(count++)], code,
           static_cast<std::uint32_t>(row.Median()));
  }
  return count;
}

std::string RepeatedRuns::RowName(const RepeatedRow& row) {
  if (StartsDriveBlock(row.code)) {
    return std::string("Drive ") + row.code + ": " +
           std::string(kDriveRowTable[static_cast<std::size_t>(row.blockRow)].name);
  }
  const TestInfo* info = FindTestByCode(row.code);
  return info != nullptr ? std::string(info->name) : std::string(1, row.code);
}

std::string SpreadTable(const RepeatedRuns& runs) {
  std::string table = "Spread over " + std::to_string(runs.repetitions()) + " repetitions:\n";
  char line[160];
  std::snprintf(line, sizeof line, "%-30s %12s %12s %12s %8s\n", "test", "min", "median", "max",
                "spread");
  table += line;
  for (const RepeatedRow& row : runs.rows()) {
    std::snprintf(line, sizeof line, "%-30s %12lld %12lld %12lld %7.1f%%",
                  RepeatedRuns::RowName(row).c_str(), static_cast<long long>(row.Min()),
                  static_cast<long long>(row.Median()), static_cast<long long>(row.Max()),
                  row.SpreadPercent());
    table += line;
    if (row.Noisy()) table += "  noisy";
    if (!row.missing.empty()) {
      table += "  missing in repetition";
      table += row.missing.size() > 1 ? "s" : "";
      for (std::size_t i = 0; i < row.missing.size(); ++i) {
        table += (i == 0 ? " " : ", ") + std::to_string(row.missing[i]);
      }
    }
    table += '\n';
  }
  return table;
}

}  // namespace quorvane

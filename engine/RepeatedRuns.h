// The rows of several runs of the same selection, and each row's median: what a repeated run
// keeps between its repetitions. A row is known by its test code, or by its drive letter and its
// position in the drive's block, so that a disk row takes the median of the same value in every
// repetition. Reads and writes result tables only; runs nothing.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/ResultStore.h"

namespace quorvane {

// A row whose spread, (max - min) / median, is above this is marked noisy.
inline constexpr double kNoisySpreadPercent = 5.0;

struct RepeatedRow {
  char code = '\0';                   // the test's code, or the drive letter
  int blockRow = 0;                   // 0 for a test; 0..6 within a drive block
  std::vector<std::int64_t> samples;  // in repetition order; only repetitions that had the row
  std::vector<int> missing;           // 1-based repetitions that had no value for the row

  std::int64_t Min() const;
  std::int64_t Max() const;
  // The middle sample; the mean of the two middle ones (rounded down) for an even count.
  std::int64_t Median() const;
  // (max - min) / median in percent; 0 when the median is 0.
  double SpreadPercent() const;
  bool Noisy() const { return SpreadPercent() > kNoisySpreadPercent; }
};

class RepeatedRuns {
 public:
  // Adds the rows of one finished repetition (the rows of `results` up to the first empty one).
  void Add(const ResultTable& results);

  // Writes each row's median into `results` in the order of a single run (tests in table order,
  // then drive blocks by letter) and returns the number of rows; the rest of `results` is emptied.
  int WriteMedians(ResultTable& results) const;

  // The rows in the order WriteMedians writes them.
  const std::vector<RepeatedRow>& rows() const { return rows_; }
  int repetitions() const { return repetitions_; }

  // The row's name for the spread table and messages: the test's, or "Drive C: read maximum".
  static std::string RowName(const RepeatedRow& row);

 private:
  RepeatedRow& RowFor(char code, int blockRow);

  std::vector<RepeatedRow> rows_;
  int repetitions_ = 0;
};

// The spread table of a repeated run, one line per row after a heading: name, min, median, max,
// spread in percent, "noisy" above kNoisySpreadPercent, and the repetitions that had no value.
std::string SpreadTable(const RepeatedRuns& runs);

}  // namespace quorvane

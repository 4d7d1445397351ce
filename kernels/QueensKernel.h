// The eight queens workload: full backtracking solves that visit all 92 solutions, with byte
// flags for columns and diagonals held in the object. It records nothing and allocates nothing;
// a probe type may watch the search (the production kernel's probe is empty and costs nothing).
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "kernels/KeepAlive.h"

namespace quorvane {

// The probe of the production kernel: watches nothing.
struct NoQueensProbe {
  void TryRowCalled(std::int32_t /*row*/) {}
  void QueenPlaced(std::int32_t /*row*/, const std::array<std::int32_t, 10>& /*queenColumn*/) {}
};

// A probe that counts the search's work and keeps every complete placement (columns of rows
// 1 to 8), for checking the search.
struct QueensCountingProbe {
  std::int64_t tryRowCalls = 0;
  std::int64_t placements = 0;
  std::vector<std::array<std::int32_t, 8>> completePlacements;

  void TryRowCalled(std::int32_t /*row*/) { ++tryRowCalls; }
  void QueenPlaced(std::int32_t row, const std::array<std::int32_t, 10>& queenColumn) {
    ++placements;
    if (row == 8) {
      std::array<std::int32_t, 8> columns{};
      for (std::int32_t r = 1; r <= 8; ++r) {
        columns[r - 1] = queenColumn[r];
      }
      completePlacements.push_back(columns);
    }
  }
};

template <class Probe>
class BasicQueensKernel {
 public:
  // Runs `passes` solves (none when below 1); returns 1.
  std::int32_t Run(std::int32_t passes);

  const std::array<std::uint8_t, 9>& ColumnFree() const { return columnFree; }
  const std::array<std::uint8_t, 17>& SumDiagonalFree() const { return sumDiagonalFree; }
  const std::array<std::uint8_t, 15>& DiffDiagonalFree() const { return diffDiagonalFree; }
  const std::array<std::int32_t, 10>& QueenColumn() const { return queenColumn; }
  const Probe& probe() const { return probe_; }

 private:
  // Tries every column of `row` (1..8) and goes on to the next row from each free square.
  QUORVANE_REAL_CALL void TryRow(std::int32_t row);

  std::array<std::uint8_t, 9> columnFree{};         // [col], col 1..8; 1 = no queen in it
  std::array<std::uint8_t, 17> sumDiagonalFree{};   // [row + col]
  std::array<std::uint8_t, 15> diffDiagonalFree{};  // [row - col + 7]
  std::array<std::int32_t, 10> queenColumn{};       // [row]: column of that row's queen
  [[no_unique_address]] Probe probe_{};
};

extern template class BasicQueensKernel<NoQueensProbe>;
extern template class BasicQueensKernel<QueensCountingProbe>;

using QueensKernel = BasicQueensKernel<NoQueensProbe>;

}  // namespace quorvane

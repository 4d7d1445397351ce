// The eight queens search. Both kernels are instantiated here, so the one with the counting
// probe runs the same code, built the same way, as the production one.
#include "kernels/QueensKernel.h"

namespace quorvane {

template <class Probe>
std::int32_t BasicQueensKernel<Probe>::Run(std::int32_t passes) {
  for (std::int32_t pass = 0; pass < passes; ++pass) {
    columnFree.fill(1);
    sumDiagonalFree.fill(1);
    diffDiagonalFree.fill(1);
    TryRow(1);
  }
  return 1;
}

template <class Probe>
void BasicQueensKernel<Probe>::TryRow(std::int32_t row) {
  probe_.TryRowCalled(row);
  for (std::int32_t col = 1; col <= 8; ++col) {
    if (columnFree[col] != 0 && sumDiagonalFree[row + col] != 0 &&
        diffDiagonalFree[row - col + 7] != 0) {
      queenColumn[row] = col;
      columnFree[col] = 0;
      sumDiagonalFree[row + col] = 0;
      diffDiagonalFree[row - col + 7] = 0;
      probe_.QueenPlaced(row, queenColumn);
      if (row < 8) {
        TryRow(row + 1);
      }
      columnFree[col] = 1;
      sumDiagonalFree[row + col] = 1;
      diffDiagonalFree[row - col + 7] = 1;
    }
  }
}

template class BasicQueensKernel<NoQueensProbe>;
template class BasicQueensKernel<QueensCountingProbe>;

}  // namespace quorvane

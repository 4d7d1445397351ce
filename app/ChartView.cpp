#include "app/ChartView.h"

#include <QPainter>
#include <optional>
#include <vector>

#include "app/BarChart.h"
#include "dialogs/StoreText.h"

namespace quorvane {

namespace {

// The rows drawn: each test with its percent, or a test of this machine alone with its value
// text, then the totals.
std::vector<BarRow> RowsOf(const ResultsModel& model) {
  std::vector<BarRow> rows;
  for (const ResultsRow& row : model.rows) {
    BarRow barRow{FromStoreText(row.test->name), std::nullopt, {}, false};
    if (row.Compared()) {
      barRow.percent = row.percent;
    } else {
      barRow.value =
          FromStoreText(row.thisText).trimmed() + QLatin1Char(' ') + FromStoreText(row.test->unit);
    }
    rows.push_back(barRow);
  }
  const ResultsTotals& totals = model.totals;
  const std::pair<const char*, const std::optional<std::int64_t>&> totalRows[] = {
      {"Total CPU", totals.totalCpu},
      {"Total FPU", totals.totalFpu},
      {"Average", totals.average},
      {"Application Performance", totals.applicationPerformance}};
  for (const auto& [name, value] : totalRows) {
    if (value) rows.push_back({QString::fromLatin1(name), value, {}, true});
  }
  return rows;
}

}  // namespace

ChartView::ChartView(QWidget* parent) : QWidget(parent) {
  setAutoFillBackground(true);
  setBackgroundRole(QPalette::Base);
  setForegroundRole(QPalette::Text);
}

void ChartView::SetModel(ResultsModel model) {
  model_ = std::move(model);
  setMinimumHeight(BarChartHeight(RowsOf(model_)));
}

void ChartView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  PaintBarChart(painter, palette(), width(), RowsOf(model_));
}

}  // namespace quorvane

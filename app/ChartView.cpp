#include "app/ChartView.h"

#include <QPainter>
#include <optional>
#include <vector>

#include "app/BarChart.h"
#include "dialogs/StoreText.h"
#include "report/ChartModel.h"

namespace quorvane {

namespace {

// The rows drawn, from the chart's rows (the same as the web page's): each test with its
// percent, or a test of this machine alone with its value text, then the totals.
std::vector<BarRow> RowsOf(const ResultsModel& model) {
  std::vector<BarRow> rows;
  for (const ChartRow& row : ChartRowsOf(model)) {
    BarRow barRow{FromStoreText(row.name), row.percent, {}, row.total};
    if (!row.percent) {
      barRow.value =
          FromStoreText(row.value).trimmed() + QLatin1Char(' ') + FromStoreText(row.unit);
    }
    rows.push_back(barRow);
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

#include "app/ChartView.h"

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

#include "dialogs/StoreText.h"
#include "report/ChartModel.h"

namespace quorvane {

namespace {

// One drawn row: a test or a total with its percent, or a test of this machine alone with its
// value text.
struct ShownRow {
  QString name;
  std::optional<std::int64_t> percent;
  QString value;  // shown instead of a bar when there is no percent
  bool total = false;
};

QString PercentText(std::int64_t percent) { return QStringLiteral("%1 %").arg(percent); }

std::vector<ShownRow> RowsOf(const ResultsModel& model) {
  std::vector<ShownRow> rows;
  for (const ChartRow& row : ChartRowsOf(model)) {
    ShownRow shown{FromStoreText(row.name), row.percent, {}, row.total};
    if (!row.percent) {
      shown.value = FromStoreText(row.value).trimmed() + QLatin1Char(' ') + FromStoreText(row.unit);
    }
    rows.push_back(shown);
  }
  return rows;
}

// The height the rows need: the margins, the heading, the rows and half a row before the totals.
int HeightOf(const std::vector<ShownRow>& rows) {
  if (rows.empty()) return 0;
  const bool totals =
      std::any_of(rows.begin(), rows.end(), [](const ShownRow& row) { return row.total; });
  const int count = static_cast<int>(rows.size());
  return 2 * ChartView::kMargin + (count + 1) * ChartView::kRowHeight +
         (totals ? ChartView::kRowHeight / 2 : 0);
}

}  // namespace

ChartView::ChartView(QWidget* parent) : QWidget(parent) {
  setAutoFillBackground(true);
  setBackgroundRole(QPalette::Base);
  setForegroundRole(QPalette::Text);
}

void ChartView::SetModel(ResultsModel model) {
  model_ = std::move(model);
  setMinimumHeight(HeightOf(RowsOf(model_)));
}

void ChartView::paintEvent(QPaintEvent*) {
  const std::vector<ShownRow> rows = RowsOf(model_);
  if (rows.empty()) return;
  QPainter painter(this);
  const QFontMetrics metrics = painter.fontMetrics();

  int nameWidth = 0;
  int percentWidth = 0;
  std::int64_t largest = 100;  // the scale always shows the comparison's 100 percent
  for (const ShownRow& row : rows) {
    nameWidth = std::max(nameWidth, metrics.horizontalAdvance(row.name));
    if (row.percent) {
      percentWidth = std::max(percentWidth, metrics.horizontalAdvance(PercentText(*row.percent)));
      largest = std::max(largest, *row.percent);
    }
  }
  const int barLeft = kMargin + nameWidth + kGap;
  const int barWidth = std::max(0, width() - kMargin - percentWidth - kGap - barLeft);
  const double pixelsPerPercent = static_cast<double>(barWidth) / static_cast<double>(largest);
  auto lengthOf = [pixelsPerPercent](std::int64_t percent) {
    return static_cast<int>(
        std::lround(static_cast<double>(std::max<std::int64_t>(percent, 0)) * pixelsPerPercent));
  };
  const int lineX = barLeft + lengthOf(100);

  // The heading names the line; the rows follow, the totals after half a row.
  const QColor text = palette().color(QPalette::Text);
  const QColor bar = palette().color(QPalette::Highlight);
  painter.setPen(text);
  int top = kMargin;
  painter.drawText(QRect(lineX - 100, top, 200, kRowHeight), Qt::AlignHCenter | Qt::AlignBottom,
                   PercentText(100));
  top += kRowHeight;
  const int firstRowTop = top;
  bool totalsStarted = false;
  for (const ShownRow& row : rows) {
    if (row.total && !totalsStarted) {
      totalsStarted = true;
      top += kRowHeight / 2;
    }
    const QRect nameBox(kMargin, top, nameWidth, kRowHeight);
    painter.drawText(nameBox, Qt::AlignLeft | Qt::AlignVCenter, row.name);
    if (row.percent) {
      const int length = lengthOf(*row.percent);
      painter.fillRect(QRect(barLeft, top + (kRowHeight - kBarHeight) / 2, length, kBarHeight),
                       bar);
      painter.drawText(QRect(barLeft + length + kGap, top, percentWidth, kRowHeight),
                       Qt::AlignLeft | Qt::AlignVCenter, PercentText(*row.percent));
    } else {
      painter.drawText(QRect(barLeft + kGap, top, width() - barLeft - kGap, kRowHeight),
                       Qt::AlignLeft | Qt::AlignVCenter, row.value);
    }
    top += kRowHeight;
  }
  painter.drawLine(lineX, firstRowTop, lineX, top - 1);
}

}  // namespace quorvane

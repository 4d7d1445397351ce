#include "app/BarChart.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

namespace quorvane {

namespace {

using L = BarChartLayout;

QString PercentText(std::int64_t percent) { return QStringLiteral("%1 %").arg(percent); }

}  // namespace

int BarChartHeight(const std::vector<BarRow>& rows) {
  if (rows.empty()) return 0;
  const bool totals =
      std::any_of(rows.begin(), rows.end(), [](const BarRow& row) { return row.total; });
  const int count = static_cast<int>(rows.size());
  return 2 * L::kMargin + (count + 1) * L::kRowHeight + (totals ? L::kRowHeight / 2 : 0);
}

void PaintBarChart(QPainter& painter, const QPalette& palette, int width,
                   const std::vector<BarRow>& rows) {
  if (rows.empty()) return;
  const QFontMetrics metrics = painter.fontMetrics();

  int nameWidth = 0;
  int percentWidth = 0;
  std::int64_t largest = 100;  // the scale always shows the 100 percent line
  for (const BarRow& row : rows) {
    nameWidth = std::max(nameWidth, metrics.horizontalAdvance(row.name));
    if (row.percent) {
      percentWidth = std::max(percentWidth, metrics.horizontalAdvance(PercentText(*row.percent)));
      largest = std::max(largest, *row.percent);
    }
  }
  const int barLeft = L::kMargin + nameWidth + L::kGap;
  const int barWidth = std::max(0, width - L::kMargin - percentWidth - L::kGap - barLeft);
  const double pixelsPerPercent = static_cast<double>(barWidth) / static_cast<double>(largest);
  auto lengthOf = [pixelsPerPercent](std::int64_t percent) {
    return static_cast<int>(
        std::lround(static_cast<double>(std::max<std::int64_t>(percent, 0)) * pixelsPerPercent));
  };
  const int lineX = barLeft + lengthOf(100);

  // The heading names the line; the rows follow, the totals after half a row.
  const QColor text = palette.color(QPalette::Text);
  const QColor bar = palette.color(QPalette::Highlight);
  painter.setPen(text);
  int top = L::kMargin;
  painter.drawText(QRect(lineX - 100, top, 200, L::kRowHeight), Qt::AlignHCenter | Qt::AlignBottom,
                   PercentText(100));
  top += L::kRowHeight;
  const int firstRowTop = top;
  bool totalsStarted = false;
  for (const BarRow& row : rows) {
    if (row.total && !totalsStarted) {
      totalsStarted = true;
      top += L::kRowHeight / 2;
    }
    const QRect nameBox(L::kMargin, top, nameWidth, L::kRowHeight);
    painter.drawText(nameBox, Qt::AlignLeft | Qt::AlignVCenter, row.name);
    if (row.percent) {
      const int length = lengthOf(*row.percent);
      painter.fillRect(
          QRect(barLeft, top + (L::kRowHeight - L::kBarHeight) / 2, length, L::kBarHeight), bar);
      painter.drawText(QRect(barLeft + length + L::kGap, top, percentWidth, L::kRowHeight),
                       Qt::AlignLeft | Qt::AlignVCenter, PercentText(*row.percent));
    } else {
      painter.drawText(QRect(barLeft + L::kGap, top, width - barLeft - L::kGap, L::kRowHeight),
                       Qt::AlignLeft | Qt::AlignVCenter, row.value);
    }
    top += L::kRowHeight;
  }
  painter.drawLine(lineX, firstRowTop, lineX, top - 1);
}

}  // namespace quorvane

// The painting of a bar chart: one row per line, its name on the left, then a horizontal bar
// whose length is its percent and the percent after it, a vertical line at 100 percent named
// above the rows, and rows without a percent showing a text instead of a bar. Totals stand below
// the other rows after half a row. Colours come from the palette (bars in Highlight, text and
// line in Text), widths from the width given. Both the chart view and the trend chart of the
// history draw with it. User-interface thread only.
#pragma once

#include <QPalette>
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

class QPainter;

namespace quorvane {

struct BarRow {
  QString name;
  std::optional<std::int64_t> percent;  // the bar's length; none: `value` shown instead
  QString value;
  bool total = false;  // totals follow the other rows, half a row below them
};

struct BarChartLayout {
  static constexpr int kMargin = 10;
  static constexpr int kRowHeight = 22;
  static constexpr int kBarHeight = 14;
  static constexpr int kGap = 8;  // between a name, its bar and its percent
};

// The height that `rows` need: the margins, the heading, the rows and half a row before the
// totals; 0 without rows.
int BarChartHeight(const std::vector<BarRow>& rows);

// Paints `rows` from the top left of the painter's device, `width` pixels wide.
void PaintBarChart(QPainter& painter, const QPalette& palette, int width,
                   const std::vector<BarRow>& rows);

}  // namespace quorvane

// Test helper of the desktop program's tests: the bars a chart painted, found in a grabbed
// picture. A test sets kBar as the palette's highlight, the colour the charts paint bars in.
#pragma once

#include <QColor>
#include <QImage>
#include <QList>
#include <QRect>

namespace quorvane::test_support {

inline const QColor kBar(200, 0, 0);

// The bars of a picture, top to bottom: the bounds of each band of rows holding bar-coloured
// pixels.
inline QList<QRect> BarsIn(const QImage& image) {
  QList<QRect> bars;
  for (int y = 0; y < image.height(); ++y) {
    QRect row;
    for (int x = 0; x < image.width(); ++x)
      row |= image.pixelColor(x, y) == kBar ? QRect(x, y, 1, 1) : QRect();
    if (row.isNull()) continue;
    if (!bars.isEmpty() && bars.back().bottom() == y - 1)
      bars.back() |= row;
    else
      bars << row;
  }
  return bars;
}

}  // namespace quorvane::test_support

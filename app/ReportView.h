// The client area of the main window: draws the report lines from the first visible line on,
// 14 pixels apart and 10 pixels from the left, in the system's fixed-pitch font. It draws its
// own copy of the lines, taken when the report changes, so painting never reads the store
// while a run is writing it. Keys do nothing here; the mouse wheel is passed on in whole notches.
#pragma once

#include <QWidget>

#include "engine/BenchmarkState.h"

namespace quorvane {

class ReportView : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kLineHeight = 14;
  static constexpr int kLeftMargin = 10;
  static constexpr int kFontPixelSize = 12;

  explicit ReportView(QWidget* parent = nullptr);

  // Takes a copy of the lines to draw.
  void SetLines(const ReportLines& lines);
  void SetFirstVisibleLine(int line);
  int FirstVisibleLine() const { return firstVisibleLine_; }
  const ReportLines& lines() const { return lines_; }

 signals:
  // Whole wheel notches turned over the report: positive towards the end of the report.
  void WheelNotches(int notches);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

 private:
  ReportLines lines_{};
  int firstVisibleLine_ = 0;
  int wheelRest_ = 0;  // the part of a notch turned so far (fine-grained wheels, touchpads)
};

}  // namespace quorvane

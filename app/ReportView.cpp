#include "app/ReportView.h"

#include <QFontDatabase>
#include <QKeyEvent>
#include <QPainter>
#include <QWheelEvent>

#include "engine/ReportLines.h"
#include "engine/Windows1252.h"

namespace quorvane {

ReportView::ReportView(QWidget* parent) : QWidget(parent) {
  // The system's fixed-pitch font, at a size whose lines fit the fixed 14-pixel spacing.
  QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  fixed.setPixelSize(kFontPixelSize);
  setFont(fixed);
  setAutoFillBackground(true);
  setBackgroundRole(QPalette::Base);
  setForegroundRole(QPalette::Text);
}

void ReportView::SetLines(const ReportLines& lines) { lines_ = lines; }

void ReportView::SetFirstVisibleLine(int line) { firstVisibleLine_ = line; }

void ReportView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setFont(font());
  const int ascent = painter.fontMetrics().ascent();
  for (int i = firstVisibleLine_; i < kReportLines; ++i) {
    const std::string_view text = LineText(lines_[static_cast<std::size_t>(i)]);
    if (text.empty()) continue;
    const int top = (i - firstVisibleLine_) * kLineHeight;
    if (top > height()) break;  // below the client area
    painter.drawText(kLeftMargin, top + ascent, QString::fromStdString(Windows1252ToUtf8(text)));
  }
}

void ReportView::keyPressEvent(QKeyEvent* event) { event->accept(); }

void ReportView::wheelEvent(QWheelEvent* event) {
  constexpr int kNotch = QWheelEvent::DefaultDeltasPerStep;  // 120: one notch of a mouse wheel
  wheelRest_ -= event->angleDelta().y();  // turning away from the user scrolls down
  const int notches = wheelRest_ / kNotch;
  wheelRest_ -= notches * kNotch;
  if (notches != 0) emit WheelNotches(notches);
  event->accept();
}

}  // namespace quorvane

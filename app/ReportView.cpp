#include "app/ReportView.h"

#include <QFontDatabase>
#include <QKeyEvent>
#include <QPainter>

#include "engine/ReportLines.h"

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
    painter.drawText(kLeftMargin, top + ascent,
                     QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
  }
}

void ReportView::keyPressEvent(QKeyEvent* event) { event->accept(); }

}  // namespace quorvane

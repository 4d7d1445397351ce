#include "app/TrendChart.h"

#include <QDateTime>
#include <QPainter>
#include <algorithm>

namespace quorvane {

namespace {

// The score of the row with `code` in `run`, if it has one.
std::optional<std::uint32_t> ScoreOf(const RunSummary& run, char code) {
  for (const RunScore& score : run.scores) {
    if (score.code == code) return score.value;
  }
  return std::nullopt;
}

}  // namespace

std::vector<BarRow> TrendRows(const std::vector<RunSummary>& runs,
                              const std::string& machineIdentity, char code) {
  std::vector<const RunSummary*> chosen;
  for (const RunSummary& run : runs) {
    if (run.facts.machineIdentity == machineIdentity && ScoreOf(run, code)) chosen.push_back(&run);
  }
  std::sort(chosen.begin(), chosen.end(), [](const RunSummary* a, const RunSummary* b) {
    return std::pair(a->facts.timeUtc, a->id) < std::pair(b->facts.timeUtc, b->id);
  });
  std::vector<BarRow> rows;
  std::uint64_t first = 0;
  for (const RunSummary* run : chosen) {
    const std::uint32_t score = *ScoreOf(*run, code);
    if (rows.empty()) first = score;
    const QString when = QDateTime::fromSecsSinceEpoch(run->facts.timeUtc)
                             .toString(QStringLiteral("yyyy-MM-dd HH:mm"));
    BarRow row{when + QStringLiteral("  ") + QString::number(score), std::nullopt, {}, false};
    if (first > 0) {
      row.percent = static_cast<std::int64_t>(std::uint64_t{score} * 100 / first);
    } else {
      row.value = QString::number(score);
    }
    rows.push_back(row);
  }
  return rows;
}

TrendChart::TrendChart(QWidget* parent) : QWidget(parent) {
  setAutoFillBackground(true);
  setBackgroundRole(QPalette::Base);
  setForegroundRole(QPalette::Text);
}

void TrendChart::SetRows(std::vector<BarRow> rows) {
  rows_ = std::move(rows);
  setMinimumHeight(BarChartHeight(rows_));
  update();
}

void TrendChart::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  PaintBarChart(painter, palette(), width(), rows_);
}

}  // namespace quorvane

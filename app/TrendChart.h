// The trend chart of the History dialog: one test's score over the runs of one machine, oldest
// first, one bar a run, each run's score as a percent of the machine's first run with the test
// (the line at 100 percent), named by the run's local date and time and its score. Painted by
// app/BarChart.h, as the chart view is. User-interface thread only.
#pragma once

#include <QWidget>
#include <string>
#include <vector>

#include "app/BarChart.h"
#include "history/RunRecord.h"

namespace quorvane {

// The rows of the trend of the test with `code` over the runs in `runs` (any order) whose
// machine identity is `machineIdentity` and that have the test: oldest first; a run's percent is
// its score over the first one's, rounded down, none when the first one's is 0.
std::vector<BarRow> TrendRows(const std::vector<RunSummary>& runs,
                              const std::string& machineIdentity, char code);

class TrendChart : public QWidget {
  Q_OBJECT

 public:
  explicit TrendChart(QWidget* parent = nullptr);

  // Takes the rows to draw and sets the minimum height they need.
  void SetRows(std::vector<BarRow> rows);
  const std::vector<BarRow>& rows() const { return rows_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::vector<BarRow> rows_;
};

}  // namespace quorvane

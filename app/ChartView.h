// The chart view of the main window: the results model drawn as horizontal bars of relative
// performance, the comparison machine at 100 percent drawn as a vertical line, each compared
// test with its name and percent, the tests of this machine alone with their value and no bar,
// and the totals below (painted by app/BarChart.h). It draws its own copy of the model, taken
// when the report changes, so painting never reads the store; widths follow the widget, colours
// the palette. Its minimum height is what its rows need, so that a scrolling area around it
// scrolls when they do not fit.
#pragma once

#include <QWidget>

#include "app/BarChart.h"
#include "report/ResultsModel.h"

namespace quorvane {

class ChartView : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kMargin = BarChartLayout::kMargin;
  static constexpr int kRowHeight = BarChartLayout::kRowHeight;
  static constexpr int kBarHeight = BarChartLayout::kBarHeight;
  static constexpr int kGap = BarChartLayout::kGap;

  explicit ChartView(QWidget* parent = nullptr);

  // Takes a copy of the model to draw and sets the minimum height its rows need.
  void SetModel(ResultsModel model);
  const ResultsModel& model() const { return model_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  ResultsModel model_;
};

}  // namespace quorvane

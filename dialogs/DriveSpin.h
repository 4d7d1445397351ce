// The up-down control beside "Drive Letter": two arrow buttons that ask for the next or the
// previous drive. It holds no position and never writes into the letter field; the dialog decides
// which drive is shown. Not a tab stop, and it takes no keys.
#pragma once

#include <QWidget>

class QToolButton;

namespace quorvane {

class DriveSpin : public QWidget {
  Q_OBJECT

 public:
  explicit DriveSpin(QWidget* parent = nullptr);

 signals:
  // +1 for the upper arrow, -1 for the lower one; sent for every press and every repeat while held.
  void StepRequested(int delta);

 private:
  QToolButton* up_;
  QToolButton* down_;
};

}  // namespace quorvane

#include "dialogs/DriveSpin.h"

#include <QToolButton>
#include <QVBoxLayout>

namespace quorvane {

namespace {
QToolButton* MakeArrow(QWidget* parent, Qt::ArrowType arrow, const char* name) {
  auto* button = new QToolButton(parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setArrowType(arrow);
  button->setAutoRepeat(true);
  button->setFocusPolicy(Qt::NoFocus);
  button->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Ignored);
  button->setFixedWidth(16);
  return button;
}
}  // namespace

DriveSpin::DriveSpin(QWidget* parent)
    : QWidget(parent),
      up_(MakeArrow(this, Qt::UpArrow, "driveSpinUp")),
      down_(MakeArrow(this, Qt::DownArrow, "driveSpinDown")) {
  setFocusPolicy(Qt::NoFocus);
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Ignored);  // as tall as the letter field
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(up_);
  layout->addWidget(down_);
  connect(up_, &QToolButton::clicked, this, [this] { emit StepRequested(+1); });
  connect(down_, &QToolButton::clicked, this, [this] { emit StepRequested(-1); });
}

}  // namespace quorvane

#include "dialogs/DescriptionWindow.h"

#include <QRegularExpression>
#include <QRegularExpressionValidator>

#include "ui_CDescriptionDlg.h"

namespace quorvane {

DescriptionWindow::DescriptionWindow(QWidget* owner)
    : QDialog(owner), ui_(std::make_unique<Ui::CDescriptionDlg>()) {
  ui_->setupUi(this);
  // "# of threads to run" and "# of CPUs" take digits only.
  const QRegularExpression digits(QStringLiteral("[0-9]*"));
  ui_->threads->setValidator(new QRegularExpressionValidator(digits, ui_->threads));
  ui_->cpuCount->setValidator(new QRegularExpressionValidator(digits, ui_->cpuCount));

  controls_.threads = ui_->threads;
  controls_.brand = ui_->brand;
  controls_.model = ui_->model;
  controls_.motherboard = ui_->motherboard;
  controls_.cpu = ui_->cpu;
  controls_.cpuCount = ui_->cpuCount;
  controls_.internalClock = ui_->internalClock;
  controls_.externalClock = ui_->externalClock;
  controls_.cacheSize = ui_->cacheSize;
  controls_.cacheType = ui_->cacheType;
  controls_.ramSize = ui_->ramSize;
  controls_.ramType = ui_->ramType;
  controls_.ramSpeed = ui_->ramSpeed;
  controls_.driveLetter = ui_->driveLetter;
  controls_.driveSpin = ui_->driveSpin;
  controls_.deleteButton = ui_->deleteButton;
  controls_.harddisk = ui_->harddisk;
  controls_.controller = ui_->controller;
  controls_.driver = ui_->driver;
  controls_.os = ui_->os;
  controls_.okButton = ui_->okButton;
  controls_.cancelButton = ui_->cancelButton;
  controls_.detectButton = ui_->detectButton;

  connect(ui_->cancelButton, &QPushButton::clicked, this, &DescriptionWindow::reject);
}

DescriptionWindow::~DescriptionWindow() = default;

void DescriptionWindow::SetCancelHandler(std::function<void()> handler) {
  cancelHandler_ = std::move(handler);
}

void DescriptionWindow::reject() {
  if (cancelHandler_) {
    cancelHandler_();
  } else {
    QDialog::reject();
  }
}

}  // namespace quorvane

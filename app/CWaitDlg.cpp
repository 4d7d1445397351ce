#include "app/CWaitDlg.h"

#include <QCloseEvent>
#include <QPushButton>

#include "ui_CWaitDlg.h"

namespace quorvane {

CWaitDlg::CWaitDlg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      ui_(std::make_unique<Ui::CWaitDlg>()) {
  ui_->setupUi(this);
  setWindowTitle(QString());
  ui_->warningText->hide();
  connect(ui_->stopButton, &QPushButton::clicked, this, [this] {
    ShowStopping();
    emit StopRequested();
  });
}

CWaitDlg::~CWaitDlg() = default;

void CWaitDlg::ShowProgress(const QString& name, int step, int steps) {
  ui_->progressText->setText(QStringLiteral("%1, %2 of %3").arg(name).arg(step).arg(steps));
  ui_->progressBar->setRange(0, steps);
  ui_->progressBar->setValue(step - 1);
}

void CWaitDlg::ShowStopping() {
  ui_->stopButton->setText(QStringLiteral("Stopping..."));
  ui_->stopButton->setEnabled(false);
}

void CWaitDlg::Finish() {
  finished_ = true;
  ui_->progressBar->setValue(ui_->progressBar->maximum());
  accept();
}

QString CWaitDlg::progressText() const { return ui_->progressText->text(); }

void CWaitDlg::ShowWarning(const QString& text) {
  ui_->warningText->setText(text);
  ui_->warningText->setVisible(!text.isEmpty());
}

QString CWaitDlg::warningText() const { return ui_->warningText->text(); }

void CWaitDlg::closeEvent(QCloseEvent* event) {
  if (finished_) {
    QDialog::closeEvent(event);
  } else {
    event->ignore();
  }
}

void CWaitDlg::reject() {
  if (finished_) QDialog::reject();  // Escape does nothing while the run lasts
}

}  // namespace quorvane

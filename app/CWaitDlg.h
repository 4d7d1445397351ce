// The wait dialog of a run: "Wait for benchmark completion...", a warning about the machine
// where there is one, which test is running and a progress bar. It has no buttons and cannot be
// closed by the user; the run closes it.
#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class CWaitDlg;
}

namespace quorvane {

class CWaitDlg : public QDialog {
  Q_OBJECT

 public:
  explicit CWaitDlg(QWidget* parent);
  ~CWaitDlg() override;

  // Shows "name, step of steps" and the bar at step - 1 of steps done.
  void ShowProgress(const QString& name, int step, int steps);
  // Shows a line on the machine's state under the wait text (hidden while there is none).
  void ShowWarning(const QString& text);
  // Closes the dialog at the end of the run (also called by name from the run's thread).
  Q_INVOKABLE void Finish();

  QString progressText() const;
  QString warningText() const;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void reject() override;

 private:
  std::unique_ptr<Ui::CWaitDlg> ui_;
  bool finished_ = false;
};

}  // namespace quorvane

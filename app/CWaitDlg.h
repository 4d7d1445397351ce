// The wait dialog of a run: "Wait for benchmark completion...", a warning about the machine
// where there is one, which test is running, a progress bar and a Stop button. Its layout sizes
// it to its texts. The user cannot close it; Stop asks the run to end after the current test
// (the run then closes it). Keeping the user out of the main window while it shows is the main
// window's part. Made and used on the user-interface thread only.
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
  // Shows that the run ends after the current test: Stop reads "Stopping..." and is disabled.
  void ShowStopping();
  // Closes the dialog at the end of the run (also called by name from the run's thread).
  Q_INVOKABLE void Finish();

  QString progressText() const;
  QString warningText() const;

 signals:
  // The user pressed Stop (once: the button is disabled then).
  void StopRequested();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void reject() override;

 private:
  std::unique_ptr<Ui::CWaitDlg> ui_;
  bool finished_ = false;
};

}  // namespace quorvane

// The run host of the desktop program. The runner calls it on its own thread; every call that
// reaches the window is handed to the user-interface thread and waits there until done, so the
// store has one user at a time and the report, the wait dialog and the messages change in the
// order of the run. The lines on how the tests were measured are only collected, for the end of
// the run.
#pragma once

#include <QObject>
#include <condition_variable>
#include <functional>
#include <mutex>

#include <QString>
#include <QStringList>

#include "engine/RunHost.h"

namespace quorvane {

// Lives on the user-interface thread and runs there the call that the run's thread hands it,
// one at a time. The call is passed under a lock that a race detector sees, not inside the
// event queue.
class HandOff : public QObject {
  Q_OBJECT

 public:
  // Runs `call` on this object's thread and returns when it is done.
  void Run(const std::function<void()>& call);

 private slots:
  void RunPending();

 private:
  std::mutex mutex_;
  std::condition_variable finished_;
  const std::function<void()>* pending_ = nullptr;
};

class GuiRunHost : public RunHost {
 public:
  struct Calls {
    std::function<void()> showReport;     // rebuild nothing, show the lines as they stand
    std::function<void()> rebuildReport;  // BuildReport, then show
    std::function<void(const QString& name, int step, int steps)> showProgress;
    std::function<void(const QString& text, const QString& caption)> showError;
    std::function<void(const QString& text)> showWarning;  // a line on the machine's state
  };

  // Made on the user-interface thread.
  explicit GuiRunHost(Calls calls);

  // The description was confirmed on the user-interface thread before the run started.
  void ConfirmDescription() override {}
  void ShowReport() override;
  void ResultsChanged() override;
  // Shows "Round 3: Whetstone" (a steady run's round, or "Sizing: "), after the repetition.
  void Progress(const RunProgress& progress) override;
  // Shows `text` in the wait dialog (called on the run's thread before the run starts).
  void ShowWarning(const QString& text);
  // Named before the test in the progress of a repeated run ("Repetition 2 of 3: ...").
  void RepetitionStarted(int repetition, int of) override;
  void ShowError(std::string_view text, std::string_view caption) override;
  // Adds `text` to MeasurementWarnings(), after the repetition in a repeated run; shows nothing.
  void ShowMeasurementWarning(std::string_view text) override;

  // The measurement warnings of the run in the order given. Written on the run's thread without
  // a lock: read it only once that thread has been joined (or on the thread that made the calls).
  const QStringList& MeasurementWarnings() const { return measurementWarnings_; }

 private:
  void OnUiThread(const std::function<void()>& call);

  HandOff handOff_;
  Calls calls_;
  QString repetition_;               // used on the run's thread only
  QStringList measurementWarnings_;  // see MeasurementWarnings()
};

}  // namespace quorvane

// The run host of the desktop program. The runner calls it on its own thread; every call is
// handed to the user-interface thread and waits there until done, so the store has one user at
// a time and the report, the wait dialog and the messages change in the order of the run.
#pragma once

#include <functional>

#include "engine/RunHost.h"

class QObject;
class QString;
class QWidget;

namespace quorvane {

class GuiRunHost : public RunHost {
 public:
  struct Calls {
    std::function<void()> showReport;     // rebuild nothing, show the lines as they stand
    std::function<void()> rebuildReport;  // BuildReport, then show
    std::function<void(const QString& name, int step, int steps)> showProgress;
    std::function<void(const QString& text, const QString& caption)> showError;
  };

  // `context` lives on the user-interface thread.
  GuiRunHost(QObject& context, Calls calls);

  // The description was confirmed on the user-interface thread before the run started.
  void ConfirmDescription() override {}
  void ShowReport() override;
  void ResultsChanged() override;
  void Progress(const RunProgress& progress) override;
  void ShowError(std::string_view text, std::string_view caption) override;

 private:
  void OnUiThread(const std::function<void()>& call);

  QObject& context_;
  Calls calls_;
};

}  // namespace quorvane

// What the test runner needs from its front end: the description confirmed, the report
// repainted, progress shown and errors told to the user. The runner calls nothing else.
//
// Threads: the runner calls every method on the thread that called
// TestRunner::OnRunSelectedTests or RunRepeatedly (the run's own thread in the desktop program,
// the main thread in quorvane-cli), one call at a time, and waits for each to return before it
// goes on. A host whose window lives on another thread hands the call over and waits there
// (app/GuiRunHost.h).
//
// State: the run owns the BenchmarkState from its start to RunFinished. During a call the runner
// does not touch the state, so a method may read it (ShowReport, ResultsChanged) or write the
// description (ConfirmDescription); between calls the host must leave it alone.
//
// Blocking: ConfirmDescription blocks until the user has answered; every other method should
// return promptly, as the run is waiting (a measurement is never timed across a call).
//
// Failure: nothing is returned and a method must not throw: what the host cannot show is lost,
// and the run goes on. A host may call TestRunner::RequestStop from any of its methods.
#pragma once

#include <string>
#include <string_view>

namespace quorvane {

struct RunProgress {
  int step = 0;   // 1-based position of the test about to run
  int steps = 0;  // number of tests (and later drives) of this run
  std::string_view name;
  bool steady = false;  // a steady run's processor or memory test
  int round = 0;        // of a steady run: 1-based round, 0 while the test's work is sized
};

// What the progress line of a steady run says before "Running ...": "Round 3: ", "Sizing: ";
// nothing in a quick run and for the drives.
inline std::string ProgressPrefix(const RunProgress& progress) {
  if (!progress.steady) return {};
  return progress.round == 0 ? "Sizing: " : "Round " + std::to_string(progress.round) + ": ";
}

class RunHost {
 public:
  virtual ~RunHost() = default;

  // Lets the user confirm the machine description, as "Enter Description" does: on OK the
  // description is written into thisMachine and descriptionConfirmed set, on Cancel cleared.
  // Called first, before the run owns anything; blocks until the user has answered. The run
  // goes on only when descriptionConfirmed is set afterwards.
  virtual void ConfirmDescription() = 0;
  // The run was confirmed and starts (the wait dialog appears). Once per run, after
  // ConfirmDescription and before any other call; RunFinished follows unless the run throws.
  virtual void RunStarted() {}
  // The report lines stand as they are (emptied at the start, or unchanged after a failed
  // drive): show them at once.
  virtual void ShowReport() = 0;
  // A result row or drive block was written: rebuild the report and show it at once.
  virtual void ResultsChanged() = 0;
  // A test is about to start.
  virtual void Progress(const RunProgress& progress) = 0;
  // A failure the user must be told about; the run goes on afterwards. May block until the
  // user has read it (a message box): nothing is being timed while it is shown.
  virtual void ShowError(std::string_view text, std::string_view caption) = 0;
  // A line on how a test was measured (disturbed, or its rounds did not agree) or what it met
  // (a leftover test file removed): its score is recorded all the same. Not an error.
  virtual void ShowMeasurementWarning(std::string_view /*text*/) {}
  // Repetition `repetition` (1-based) of `of` of a repeated run is about to start.
  virtual void RepetitionStarted(int /*repetition*/, int /*of*/) {}
  // The run has ended (the wait dialog goes away): the last call of a run that RunStarted
  // announced; the state belongs to the front end again once it returns.
  virtual void RunFinished() {}
};

}  // namespace quorvane

// What the test runner needs from its front end: the description confirmed, the report
// repainted, progress shown and errors told to the user. The runner calls nothing else. The
// runner calls every method on the thread that called TestRunner::OnRunSelectedTests (the run's
// own thread in the desktop program), one call at a time, and waits for each to return.
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
  virtual void ConfirmDescription() = 0;
  // The run was confirmed and starts (the wait dialog appears).
  virtual void RunStarted() {}
  // The report lines stand as they are (emptied at the start, or unchanged after a failed
  // drive): show them at once.
  virtual void ShowReport() = 0;
  // A result row or drive block was written: rebuild the report and show it at once.
  virtual void ResultsChanged() = 0;
  // A test is about to start.
  virtual void Progress(const RunProgress& progress) = 0;
  // A failure the user must be told about; the run goes on afterwards.
  virtual void ShowError(std::string_view text, std::string_view caption) = 0;
  // A line on how a test was measured (disturbed, or its rounds did not agree) or what it met
  // (a leftover test file removed): its score is recorded all the same. Not an error.
  virtual void ShowMeasurementWarning(std::string_view /*text*/) {}
  // Repetition `repetition` (1-based) of `of` of a repeated run is about to start.
  virtual void RepetitionStarted(int /*repetition*/, int /*of*/) {}
  // The run has ended (the wait dialog goes away).
  virtual void RunFinished() {}
};

}  // namespace quorvane

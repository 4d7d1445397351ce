#include "cli/CliHost.h"

#include <string>

#include "cli/TerminalText.h"
#include "cli/ThreadSweep.h"
#include "report/Report.h"

namespace quorvane {

CliHost::CliHost(BenchmarkState& state, const MachineDescription& description, std::ostream& err,
                 bool quiet)
    : state_(state), description_(description), err_(err), quiet_(quiet) {}

void CliHost::ConfirmDescription() {
  state_.thisMachine = description_;
  state_.descriptionConfirmed = true;
}

void CliHost::ResultsChanged() { BuildReport(state_); }

void CliHost::Progress(const RunProgress& progress) {
  if (quiet_) return;
  if (sweepThreads_ > 0) err_ << SweepProgressPrefix(sweepThreads_);
  if (repetitions_ > 1) err_ << "Repetition " << repetition_ << " of " << repetitions_ << ": ";
  err_ << ProgressPrefix(progress) << "Running " << progress.name << " (" << progress.step << " of "
       << progress.steps << ")..." << std::endl;
}

void CliHost::ShowMeasurementWarning(std::string_view text) {
  err_ << "quorvane-cli: warning: " << TerminalText(text) << std::endl;
}

void CliHost::ShowError(std::string_view text, std::string_view caption) {
  ++errors_;
  std::string line =
      caption.empty() ? std::string(text) : std::string(caption) + ": " + std::string(text);
  for (char& c : line) {
    if (c == '\n') c = ' ';
  }
  err_ << "quorvane-cli: " << TerminalText(line) << std::endl;
}

}  // namespace quorvane

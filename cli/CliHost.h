// The run host of quorvane-cli: confirms the description given on the command line, keeps the
// report built after every result, prints progress and errors on stderr. No input is read.
#pragma once

#include <ostream>

#include "engine/BenchmarkState.h"
#include "engine/RunHost.h"

namespace quorvane {

class CliHost : public RunHost {
 public:
  CliHost(BenchmarkState& state, const MachineDescription& description, std::ostream& err,
          bool quiet);

  void ConfirmDescription() override;
  void ShowReport() override {}
  void ResultsChanged() override;
  void Progress(const RunProgress& progress) override;
  void ShowError(std::string_view text, std::string_view caption) override;
  // "quorvane-cli: warning: " and the text; not counted as an error.
  void ShowMeasurementWarning(std::string_view text) override;

  // The repetition about to run, named in the progress lines (none when `of` is 1).
  void RepetitionStarted(int repetition, int of) override {
    repetition_ = repetition;
    repetitions_ = of;
  }

  // In a thread sweep: each progress line names the run's thread count first
  // ("8 threads: Round 2: Running Whetstone (2 of 7)..."). Call before the run.
  void NameThreadCount(int threads) { sweepThreads_ = threads; }

  // Number of errors shown so far.
  int errors() const { return errors_; }

 private:
  BenchmarkState& state_;
  MachineDescription description_;
  std::ostream& err_;
  bool quiet_;
  int errors_ = 0;
  int repetition_ = 1;
  int repetitions_ = 1;
  int sweepThreads_ = 0;  // 0: not a sweep
};

}  // namespace quorvane

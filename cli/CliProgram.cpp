#include "cli/CliProgram.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <memory>
#include <string>
#include <system_error>

#include "cli/CliHistory.h"
#include "cli/CliHost.h"
#include "cli/CliOptions.h"
#include "cli/OutputTargets.h"
#include "cli/TerminalText.h"
#include "cli/ThreadSweep.h"
#include "engine/BuildStamp.h"
#include "engine/DetectedDescription.h"
#include "engine/EnvironmentWarnings.h"
#include "engine/RepeatedRuns.h"
#include "engine/ReportLines.h"
#include "engine/TestRunner.h"
#include "engine/Windows1252.h"
#include "platform/DriveMap.h"
#include "platform/SaveFile.h"
#include "report/JsonReport.h"
#include "report/Report.h"
#include "report/ResultFile.h"
#include "report/TextExport.h"
#include "report/WebPage.h"

namespace quorvane {

namespace {

// The description fields given with --set, over what `description` holds.
void ApplyFields(const CliOptions& options, MachineDescription& description) {
  for (const auto& [field, text] : options.fields) {
    SetField(description.*kMachineFields[static_cast<std::size_t>(field)], text);
  }
}

// The tests named (all seven when neither tests nor drives are), and the drives unless
// `withDrives` is false.
void SelectTests(const CliOptions& options, TestSelection& selection, bool withDrives) {
  selection = TestSelection{};
  if (options.tests.empty() && options.drives.empty()) {
    SelectAllTests(selection);
  } else {
    for (TestId test : options.tests) TestFlag(selection, test) = true;
  }
  if (withDrives) {
    for (char letter : options.drives) ToggleDrive(selection, letter);
  }
  if (options.longTests) ToggleLongTests(selection);
  if (options.quick) ToggleQuickTests(selection);
  if (options.noRealtime) ToggleRealTime(selection);
}

// One run with `threads` worker threads, the description given on the command line over the
// one the state holds. Returns the number of errors it reported.
int RunWithThreads(const CliOptions& options, const std::vector<DriveMapping>& drives,
                   BenchmarkState& state, int threads, bool withDrives, std::ostream& err,
                   const SteadySettings& steady, RepeatedRuns* repeated = nullptr,
                   std::vector<std::vector<SteadyTest>>* steadyRuns = nullptr) {
  SelectTests(options, state.testSelection, withDrives);
  MachineDescription description = state.thisMachine;
  ApplyFields(options, description);
  SetField(description.threads, std::to_string(threads));
  CliHost host(state, description, err, options.quiet);
  if (options.sweep) host.NameThreadCount(threads);
  TestRunner runner(StartThread, kWorkerRoutines, DiskEnvironmentFor(drives), MeasureDrive, steady);
  if (repeated == nullptr || options.repeat == 1) {
    runner.OnRunSelectedTests(state, host);
    if (steadyRuns != nullptr && !runner.SteadyTests().empty())
      steadyRuns->push_back(runner.SteadyTests());
    return host.errors();
  }
  RunRepeatedly(runner, state, host, options.repeat, *repeated, steadyRuns);
  err << SpreadTable(*repeated) << std::flush;
  return host.errors();
}

// The sweep: one run per thread count, the drives only in the last, which stays in the state.
int RunSweep(const CliOptions& options, const std::vector<DriveMapping>& drives,
             BenchmarkState& state, std::vector<SweepRun>& runs, std::ostream& err,
             const SteadySettings& steady) {
  int errors = 0;
  const std::vector<int> counts = SweepThreadCounts(options.threads.value_or(DefaultThreadCount()));
  for (int threads : counts) {
    if (!options.quiet)
      err << "Sweep with " << threads << (threads == 1 ? " thread" : " threads") << std::endl;
    errors +=
        RunWithThreads(options, drives, state, threads, threads == counts.back(), err, steady);
    runs.push_back({threads, state.thisResults});
  }
  return errors;
}

// The report lines as UTF-8 (the lines hold Windows-1252 with control bytes already shown as '?').
void PrintReport(const BenchmarkState& state, std::ostream& out) {
  const int count = ReportLineCount(state.ReportText);
  for (int i = 0; i < count; ++i) {
    out << Windows1252ToUtf8(LineText(state.ReportText[static_cast<std::size_t>(i)])) << '\n';
  }
}

// Load or Compare: a file that is read replaces the target's results and the report is rebuilt.
// False after printing the message of a failure, with the file and the reason.
bool ReadInto(BenchmarkState& state, FileTarget target, const std::string& path,
              std::ostream& err) {
  const ExplainedOutcome read = ReadResultFileWithReason(state, target, path);
  BuildReport(state);
  if (read.outcome == FileOutcome::Done) return true;
  err << OutcomeMessageFor(read.outcome, TerminalText(path), TerminalText(read.reason))
      << std::endl;
  return false;
}

// Writes the bytes of --save, --export or --html to `target` ("-": standard output, checked with
// the report at the end); false after printing the message of a failed save.
bool WriteOutput(const std::string& target, std::string_view bytes, std::ostream& out,
                 std::ostream& err) {
  if (target == kStandardOutput) {
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return true;
  }
  if (const std::error_code reason = SaveFileContents(target, bytes)) {
    err << SaveFailureMessage(target, reason) << std::endl;
    return false;
  }
  return true;
}

// Prints the line of a history command, if any (with status 0 a warning), and returns its status.
int Reported(const HistoryOutcome& outcome, std::ostream& err) {
  if (!outcome.message.empty()) {
    err << "quorvane-cli: " << (outcome.status == 0 ? "warning: " : "")
        << TerminalText(outcome.message) << std::endl;
  }
  return outcome.status;
}

// --load-run, --compare-run: run `id` of the history read into the target's tables as --load
// and --compare read a file, the report rebuilt. Returns 0, or the exit status after printing
// the line of a failure.
int ReadRunInto(BenchmarkState& state, FileTarget target, const CliOptions& options, int id,
                std::ostream& err) {
  std::string bytes;
  if (const int status = Reported(ReadRun(options, id, bytes), err)) return status;
  const FileOutcome read = ReadResultBytes(state, target, bytes);
  BuildReport(state);
  if (read == FileOutcome::Done) return 0;
  err << OutcomeMessageFor(read, "run " + std::to_string(id), "") << std::endl;
  return 1;
}

void ListDrives(const std::vector<DriveMapping>& drives, std::ostream& out) {
  for (const DriveMapping& drive : drives) {
    if (!drive.available) continue;
    out << drive.letter << "  " << TerminalText(DriveFolder(drive).string()) << "  "
        << TerminalText(drive.fsType) << '\n';
  }
}

// The first drive asked for that this system does not have, or 0.
char MissingDrive(const CliOptions& options, const std::vector<DriveMapping>& drives) {
  for (char letter : options.drives) {
    const bool known = std::any_of(drives.begin(), drives.end(), [letter](const DriveMapping& d) {
      return d.letter == letter && d.available;
    });
    if (!known) return letter;
  }
  return '\0';
}

}  // namespace

int RunCli(int argc, const char* const argv[], std::ostream& out, std::ostream& err,
           const MachineDetector& detect, const EnvironmentReader& readEnvironment,
           const SteadySettings& steady) {
  const CliParse parsed = ParseCommandLine(argc, argv);
  if (!parsed.options) {
    if (!parsed.error.empty()) err << "quorvane-cli: " << TerminalText(parsed.error) << std::endl;
    out << parsed.output;
    return parsed.exitStatus;
  }
  const CliOptions& options = *parsed.options;
  if (const std::optional<std::string> refused = RefusedHistoryOptions(options)) {
    err << "quorvane-cli: " << *refused << std::endl;
    return 2;
  }
  const std::vector<DriveMapping> drives = MapSystemDrives();
  if (options.listDrives) {
    ListDrives(drives, out);
    return 0;
  }
  if (options.history) {
    const int status = Reported(ListRuns(options, out), err);
    out.flush();
    return status;
  }
  if (options.deleteRun) return Reported(DeleteRun(options, *options.deleteRun), err);
  if (const char missing = MissingDrive(options, drives)) {
    err << "quorvane-cli: --drive: this system has no drive " << missing << " (see --list-drives)"
        << std::endl;
    return 2;
  }
  if (const std::string conflict = OutputConflict(options); !conflict.empty()) {
    err << "quorvane-cli: " << TerminalText(conflict) << std::endl;
    return 2;
  }
  // Before anything runs: a run whose results could not be kept is not started.
  if (const std::optional<std::string> unwritable = UnwritableOutput(options)) {
    err << *unwritable << std::endl;
    return 1;
  }
  auto state = std::make_unique<BenchmarkState>();

  if (options.load && !ReadInto(*state, FileTarget::ThisMachine, *options.load, err)) return 1;
  if (options.loadRun) {
    if (const int status =
            ReadRunInto(*state, FileTarget::ThisMachine, options, *options.loadRun, err)) {
      return status;
    }
  }
  if (options.compare && !ReadInto(*state, FileTarget::OtherMachine, *options.compare, err)) {
    return 1;
  }
  if (options.compareRun) {
    if (const int status =
            ReadRunInto(*state, FileTarget::OtherMachine, options, *options.compareRun, err)) {
      return status;
    }
  }

  if (!options.load && !options.loadRun && !options.noDetect) {
    ApplyDetectedDescription(detect ? detect() : DetectMachine("/", drives), state->thisMachine,
                             state->thisDrives);
  }

  // Without --load all seven tests run unless tests or drives are named or only the description
  // is asked for; with it, only those named.
  int runErrors = 0;
  std::vector<SweepRun> sweep;
  RepeatedRuns repeated;
  std::vector<std::vector<SteadyTest>> steadyRuns;
  std::optional<MachineEnvironment> environment;
  const bool runs = RunsTests(options);
  const auto runStarted = std::chrono::system_clock::now();
  if (runs) {
    // Before the run, and outside it: what may make its scores low or unsteady.
    environment = readEnvironment ? readEnvironment() : ReadThisEnvironment();
    for (const std::string& warning : EnvironmentWarnings(*environment)) {
      err << "quorvane-cli: warning: " << TerminalText(warning) << std::endl;
    }
  }
  if (options.sweep) {
    runErrors = RunSweep(options, drives, *state, sweep, err, steady);
  } else if (runs) {
    runErrors =
        RunWithThreads(options, drives, *state, options.threads.value_or(DefaultThreadCount()),
                       true, err, steady, &repeated, &steadyRuns);
  } else {
    ApplyFields(options, state->thisMachine);
  }

  // A save or export that fails still leaves the run's report on stdout.
  bool outputFailed = false;
  if (options.save) outputFailed |= !WriteOutput(*options.save, ResultFileBytes(*state), out, err);
  if (options.description) ShowDescription(*state);
  if (options.exportTo) {
    outputFailed |= !WriteOutput(*options.exportTo, ExportBytes(state->ReportText), out, err);
  }
  const BuildStamp build = ThisBuild();
  if (options.html) {
    WebPageContent page;
    page.state = state.get();
    page.version = build.version;
    page.measured = runs;
    page.time = runs ? runStarted : std::chrono::system_clock::now();
    if (runs && !steadyRuns.empty()) page.steadyRuns = &steadyRuns;
    if (repeated.repetitions() > 0) page.repeated = &repeated;
    if (options.sweep) page.sweep = &sweep;
    if (environment) {
      page.environment = &*environment;
      page.build = &build;
    }
    outputFailed |= !WriteOutput(*options.html, WebPageBytes(page), out, err);
  }

  // An output to "-" is what stdout shows of this run; otherwise the JSON, the sweep's table
  // or the report.
  errno = 0;
  const bool outputIsReport = options.save == kStandardOutput ||
                              options.exportTo == kStandardOutput ||
                              options.html == kStandardOutput;
  if (!outputIsReport && options.json) {
    nlohmann::json json = ResultsAsJson(*state, repeated.repetitions() > 0 ? &repeated : nullptr,
                                        runs ? &steadyRuns : nullptr);
    if (options.sweep) json["sweep"] = SweepAsJson(sweep, state->otherResults);
    if (environment) json["environment"] = EnvironmentAsJson(*environment, build);
    out << JsonText(json) << '\n';
  } else if (!outputIsReport && options.sweep) {
    out << SweepTable(sweep);
  } else if (!outputIsReport) {
    PrintReport(*state, out);
  }
  out.flush();
  const bool outputBroken = !out;
  const int reason = errno;
  // Recorded once the report is out, so that a history locked by another program delays
  // nothing the user waits for; a run without any result is not recorded.
  if (runs && state->thisResults[0].code != '\0') {
    const int threads =
        options.sweep ? sweep.back().threads : options.threads.value_or(DefaultThreadCount());
    const std::string details =
        RunDetailsJson(*state, repeated.repetitions() > 0 ? &repeated : nullptr, &steadyRuns,
                       *environment, ThisBuild());
    const std::string warning = RecordFinishedRun(options, *state, threads, details);
    if (!warning.empty()) err << "quorvane-cli: warning: " << TerminalText(warning) << std::endl;
  }
  if (outputBroken) {
    err << "quorvane-cli: cannot write standard output: "
        << (reason != 0 ? std::system_category().message(reason) : std::string("write error"))
        << std::endl;
    return 1;
  }
  if (outputFailed) return 1;
  return runErrors > 0 ? 1 : 0;
}

}  // namespace quorvane

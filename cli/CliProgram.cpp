#include "cli/CliProgram.h"

#include <algorithm>
#include <memory>
#include <string>

#include "cli/CliHost.h"
#include "cli/CliOptions.h"
#include "cli/JsonReport.h"
#include "engine/TestRunner.h"
#include "platform/DriveMap.h"
#include "report/Report.h"
#include "report/ReportLine.h"
#include "report/ResultFile.h"
#include "report/TextExport.h"

namespace quorvane {

namespace {

// The description fields given with --set, over what `description` holds.
void ApplyFields(const CliOptions& options, MachineDescription& description) {
  for (const auto& [field, text] : options.fields) {
    SetField(description.*kMachineFields[static_cast<std::size_t>(field)], text);
  }
}

void SelectTests(const CliOptions& options, TestSelection& selection) {
  if (options.tests.empty() && options.drives.empty()) {
    SelectAllTests(selection);
  } else {
    for (TestId test : options.tests) TestFlag(selection, test) = true;
  }
  for (char letter : options.drives) ToggleDrive(selection, letter);
  if (options.longTests) ToggleLongTests(selection);
  if (options.noRealtime) ToggleRealTime(selection);
}

void PrintReport(const BenchmarkState& state, std::ostream& out) {
  const int count = ReportLineCount(state.ReportText);
  for (int i = 0; i < count; ++i) out << LineText(state.ReportText[static_cast<std::size_t>(i)]) << '\n';
}

// Load or Compare: the target's results are emptied and the report rebuilt whatever happens.
FileOutcome ReadInto(BenchmarkState& state, FileTarget target, const std::string& path) {
  EmptyTargetResults(state, target);
  const FileOutcome outcome = ReadResultFile(state, target, path);
  BuildReport(state);
  return outcome;
}

// Prints the message of a failed file operation; true when it failed.
bool Failed(FileOutcome outcome, std::ostream& err) {
  if (outcome == FileOutcome::Done) return false;
  err << OutcomeMessage(outcome) << std::endl;
  return true;
}

void ListDrives(const std::vector<DriveMapping>& drives, std::ostream& out) {
  for (const DriveMapping& drive : drives) {
    if (drive.available) out << drive.letter << "  " << DriveFolder(drive).string() << "  " << drive.fsType << '\n';
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

int RunCli(int argc, const char* const argv[], std::ostream& out, std::ostream& err) {
  const CliParse parsed = ParseCommandLine(argc, argv);
  if (!parsed.options) {
    if (!parsed.error.empty()) err << "quorvane-cli: " << parsed.error << std::endl;
    out << parsed.output;
    return parsed.exitStatus;
  }
  const CliOptions& options = *parsed.options;
  const std::vector<DriveMapping> drives = MapSystemDrives();
  if (options.listDrives) {
    ListDrives(drives, out);
    return 0;
  }
  if (const char missing = MissingDrive(options, drives)) {
    err << "quorvane-cli: --drive: this system has no drive " << missing
        << " (see --list-drives)" << std::endl;
    return 2;
  }
  auto state = std::make_unique<BenchmarkState>();

  if (options.load && Failed(ReadInto(*state, FileTarget::ThisMachine, *options.load), err)) return 1;
  if (options.compare && Failed(ReadInto(*state, FileTarget::OtherMachine, *options.compare), err)) {
    return 1;
  }

  // Without --load all seven tests run unless tests or drives are named; with it, only those
  // named.
  int runErrors = 0;
  if (!options.tests.empty() || !options.drives.empty() || !options.load) {
    SelectTests(options, state->testSelection);
    MachineDescription description = state->thisMachine;
    ApplyFields(options, description);
    SetField(description.threads, std::to_string(options.threads.value_or(DefaultThreadCount())));
    CliHost host(*state, description, err, options.quiet);
    TestRunner runner;
    runner.OnRunSelectedTests(*state, host);
    runErrors = host.errors();
  } else {
    ApplyFields(options, state->thisMachine);
  }

  if (options.save && Failed(SaveResultFile(*state, *options.save), err)) return 1;
  if (options.description) ShowDescription(*state);
  if (options.exportTo && Failed(ExportReport(state->ReportText, *options.exportTo), err)) return 1;

  if (options.json) {
    out << ResultsAsJson(*state).dump(2, ' ', false, nlohmann::json::error_handler_t::replace)
        << '\n';
  } else {
    PrintReport(*state, out);
  }
  out.flush();
  return runErrors > 0 ? 1 : 0;
}

}  // namespace quorvane

#include "cli/CliProgram.h"

#include <memory>
#include <string>

#include "cli/CliHost.h"
#include "cli/CliOptions.h"
#include "cli/JsonReport.h"
#include "engine/TestRunner.h"
#include "report/Report.h"
#include "report/ReportLine.h"
#include "report/ReportText.h"

namespace quorvane {

namespace {

MachineDescription DescriptionFrom(const CliOptions& options) {
  MachineDescription description;
  for (const auto& [field, text] : options.fields) {
    SetField(description.*kMachineFields[static_cast<std::size_t>(field)], text);
  }
  SetField(description.threads, std::to_string(options.threads));
  return description;
}

void SelectTests(const CliOptions& options, TestSelection& selection) {
  if (options.tests.empty()) {
    SelectAllTests(selection);
  } else {
    for (TestId test : options.tests) TestFlag(selection, test) = true;
  }
  if (options.longTests) ToggleLongTests(selection);
  if (options.noRealtime) ToggleRealTime(selection);
}

void PrintReport(const BenchmarkState& state, std::ostream& out) {
  const int count = ReportLineCount(state.ReportText);
  for (int i = 0; i < count; ++i) out << LineText(state.ReportText[static_cast<std::size_t>(i)]) << '\n';
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

  auto state = std::make_unique<BenchmarkState>();
  SelectTests(options, state->testSelection);
  CliHost host(*state, DescriptionFrom(options), err, options.quiet);
  TestRunner runner;
  runner.OnRunSelectedTests(*state, host);

  if (options.json) {
    out << ResultsAsJson(*state).dump(2, ' ', false, nlohmann::json::error_handler_t::replace)
        << '\n';
  } else {
    if (options.description) ShowDescription(*state);
    PrintReport(*state, out);
  }
  out.flush();
  return host.errors() > 0 ? 1 : 0;
}

}  // namespace quorvane

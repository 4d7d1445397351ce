#include "report/JsonReport.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <string>
#include <string_view>

#include "engine/EnvironmentWarnings.h"
#include "engine/TestTable.h"
#include "engine/Windows1252.h"
#include "report/FieldNames.h"

namespace quorvane {

namespace {

// A value text as a number: the stored values are unsigned 32-bit decimal texts.
std::uint32_t ValueNumber(std::string_view text) { return ReadUnsignedValue(text); }

// Store text (Windows-1252) as the UTF-8 that JSON holds.
std::string Text(std::string_view view) { return Windows1252ToUtf8(view); }

// Adds a repeated run's samples of the row (`code`, `blockRow`) to its JSON item.
void AddSamples(nlohmann::json& item, const RepeatedRuns* repeated, char code, int blockRow) {
  if (repeated == nullptr) return;
  for (const RepeatedRow& row : repeated->rows()) {
    if (row.code != code || row.blockRow != blockRow) continue;
    item["samples"] = row.samples;
    item["min"] = row.Min();
    item["max"] = row.Max();
    item["spread"] = row.SpreadPercent();
    item["noisy"] = row.Noisy();
    if (!row.missing.empty()) item["missingRepetitions"] = row.missing;
  }
}

// Adds the steady rounds of the test with `code` in each run to its JSON item.
void AddSteady(nlohmann::json& item, const std::vector<std::vector<SteadyTest>>* steadyRuns,
               char code) {
  if (steadyRuns == nullptr) return;
  nlohmann::json perRun = nlohmann::json::array();
  for (const std::vector<SteadyTest>& run : *steadyRuns) {
    for (const SteadyTest& test : run) {
      if (InfoOf(test.test).code == code) perRun.push_back(SteadyAsJson(test));
    }
  }
  if (perRun.empty()) return;
  if (steadyRuns->size() == 1) {
    item["steady"] = perRun[0];
  } else {
    item["steadyRepetitions"] = perRun;
  }
}

}  // namespace

nlohmann::json SteadyAsJson(const SteadyTest& test) {
  const auto rounded = [](double value, double scale) { return std::round(value * scale) / scale; };
  std::vector<std::uint32_t> kept, disturbed;
  std::vector<double> seconds;
  nlohmann::json rounds = nlohmann::json::array();
  for (const SteadySample& sample : test.samples) {
    (sample.disturbed ? disturbed : kept).push_back(sample.score);
    if (!sample.disturbed) seconds.push_back(sample.seconds);
    rounds.push_back({{"score", sample.score},
                      {"seconds", rounded(sample.seconds, 1000.0)},
                      {"processorShare", rounded(sample.processorShare, 1000.0)},
                      {"disturbed", sample.disturbed}});
  }
  std::sort(seconds.begin(), seconds.end());
  const double interval = seconds.empty() ? test.LastSeconds() : seconds[seconds.size() / 2];
  return {{"roundsKept", test.Kept()},
          {"roundsDisturbed", test.Disturbed()},
          {"factor", test.factor},
          {"passes", test.loopCount},
          {"intervalSeconds", rounded(interval, 1000.0)},
          {"calibrationSeconds", rounded(test.calibrationSeconds, 1000.0)},
          {"samples", kept},
          {"disturbedSamples", disturbed},
          {"spread", rounded(test.SpreadPercent(), 100.0)},
          {"settled", test.agreed},
          {"rounds", rounds}};
}

nlohmann::json ResultRowsAsJson(const ResultTable& rows, const ResultTable& otherResults,
                                const RepeatedRuns* repeated,
                                const std::vector<std::vector<SteadyTest>>* steadyRuns) {
  nlohmann::json results = nlohmann::json::array();
  for (int row = 0; row < kResultRows && rows[static_cast<std::size_t>(row)].code != '\0'; ++row) {
    const ResultEntry& entry = rows[static_cast<std::size_t>(row)];
    if (const TestInfo* info = FindTestByCode(entry.code)) {
      nlohmann::json item = {{"code", std::string(1, entry.code)},
                             {"test", Text(info->name)},
                             {"unit", Text(info->unit)},
                             {"value", ValueNumber(ValueText(entry))}};
      AddSamples(item, repeated, entry.code, 0);
      AddSteady(item, steadyRuns, entry.code);
      if (const int other = FindRowByCode(otherResults, entry.code); other >= 0) {
        item["comparison"] = ValueNumber(ValueText(otherResults[static_cast<std::size_t>(other)]));
      }
      results.push_back(item);
    } else if (StartsDriveBlock(entry.code)) {
      const int otherStart = FindRowByCode(otherResults, entry.code);
      for (int k = 0; k < kDriveBlockRows && row + k < kResultRows; ++k) {
        const ResultEntry& blockRow = rows[static_cast<std::size_t>(row + k)];
        if (k > 0 && blockRow.code != ' ') break;  // a block cut short
        nlohmann::json item = {{"code", std::string(1, blockRow.code)},
                               {"drive", std::string(1, entry.code)},
                               {"test", Text(kDriveRowTable[static_cast<std::size_t>(k)].name)},
                               {"unit", Text(kDriveRowTable[static_cast<std::size_t>(k)].unit)},
                               {"value", ValueNumber(ValueText(blockRow))}};
        AddSamples(item, repeated, entry.code, k);
        if (otherStart >= 0 && otherStart + k < kResultRows) {
          item["comparison"] =
              ValueNumber(ValueText(otherResults[static_cast<std::size_t>(otherStart + k)]));
        }
        results.push_back(item);
      }
      while (row + 1 < kResultRows && rows[static_cast<std::size_t>(row + 1)].code == ' ') ++row;
    }
  }
  return results;
}

nlohmann::json ResultsAsJson(const BenchmarkState& state, const RepeatedRuns* repeated,
                             const std::vector<std::vector<SteadyTest>>* steadyRuns) {
  nlohmann::json description = nlohmann::json::object();
  for (int field = 0; field < kMachineFieldCount; ++field) {
    description[kFieldOptionNames[static_cast<std::size_t>(field)]] =
        Text(FieldText(state.thisMachine.*kMachineFields[static_cast<std::size_t>(field)]));
  }
  nlohmann::json json = {
      {"description", description},
      {"threads", ReadValue(FieldText(state.thisMachine.threads))},
      {"lengthFactor", state.testSelection.LengthFactor},
      {"results", ResultRowsAsJson(state.thisResults, state.otherResults, repeated, steadyRuns)}};
  if (repeated != nullptr) json["repeat"] = repeated->repetitions();
  // A quick run's JSON stays as it always was.
  if (steadyRuns != nullptr && !steadyRuns->empty()) json["measurement"] = "steady";
  return json;
}

std::string RunDetailsJson(const BenchmarkState& state, const RepeatedRuns* repeated,
                           const std::vector<std::vector<SteadyTest>>* steadyRuns,
                           const MachineEnvironment& environment, const BuildStamp& build) {
  const ResultTable noComparison{};
  nlohmann::json json = {
      {"results", ResultRowsAsJson(state.thisResults, noComparison, repeated, steadyRuns)}};
  if (repeated != nullptr && repeated->repetitions() > 0) json["repeat"] = repeated->repetitions();
  if (steadyRuns != nullptr && !steadyRuns->empty()) json["measurement"] = "steady";
  json["environment"] = EnvironmentAsJson(environment, build);
  return json.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::string JsonText(const nlohmann::json& json) {
  const std::string dumped = json.dump(2, ' ', false, nlohmann::json::error_handler_t::replace);
  // Outside strings the dump is plain ASCII, so DEL and a C1 control (C2 80..C2 9F in UTF-8)
  // can only stand inside a string, where an escape means the same character.
  std::string text;
  text.reserve(dumped.size());
  for (std::size_t i = 0; i < dumped.size(); ++i) {
    const auto byte = static_cast<unsigned char>(dumped[i]);
    const auto next = i + 1 < dumped.size() ? static_cast<unsigned char>(dumped[i + 1]) : 0u;
    if (byte == 0x7F || (byte == 0xC2 && next >= 0x80 && next <= 0x9F)) {
      const unsigned control = byte == 0x7F ? byte : next;
      char escape[7];
      std::snprintf(escape, sizeof escape, "\\u%04x", control);
      text += escape;
      if (byte == 0xC2) ++i;
    } else {
      text += dumped[i];
    }
  }
  return text;
}

nlohmann::json EnvironmentAsJson(const MachineEnvironment& environment, const BuildStamp& build) {
  nlohmann::json json = {
      {"otherLoadPercent",
       environment.otherLoadPercent
           ? nlohmann::json(std::round(*environment.otherLoadPercent * 10.0) / 10.0)
           : nlohmann::json(kUnknown)},
      {"governor", environment.governor},
      {"virtualMachine", TriStateText(environment.virtualMachine)},
      {"processor", environment.processor},
      {"sharedCores", TriStateText(environment.sharedCores)},
      {"warnings", EnvironmentWarnings(environment)},
      {"build",
       {{"compiler", build.compiler},
        {"kernelFlags", build.kernelFlags},
        {"cLibrary", build.cLibrary},
        {"mathLibrary", build.mathLibrary},
        {"version", build.version}}}};
  if (!environment.virtualEvidence.empty()) json["virtualEvidence"] = environment.virtualEvidence;
  return json;
}

}  // namespace quorvane

#include "report/WebPage.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <string_view>

#include "engine/EnvironmentWarnings.h"
#include "engine/TestTable.h"
#include "report/ChartModel.h"
#include "report/HtmlText.h"
#include "report/ResultsModel.h"
#include "report/ResultsView.h"

namespace quorvane {

namespace {

// The page's styles: colours as properties, swapped for a dark scheme and fixed for print.
constexpr std::string_view kStyle =
    R"(:root{color-scheme:light dark;--fg:#1b1f24;--bg:#fff;)"
    R"(--muted:#57606a;--line:#d0d7de;--band:#f3f5f7;--bar:#1f6feb;--good:#1a7f37})"
    R"(@media (prefers-color-scheme:dark){:root{--fg:#e6edf3;--bg:#0d1117;--muted:#9198a1;)"
    R"(--line:#3d444d;--band:#161b22;--bar:#4493f8;--good:#3fb950}})"
    R"(body{margin:0 auto;max-width:62rem;padding:1rem 1.25rem 2rem;color:var(--fg);)"
    R"(background:var(--bg);font:15px/1.45 system-ui,-apple-system,"Segoe UI",sans-serif})"
    R"(h1{font-size:1.6rem;margin:.2rem 0}h2{font-size:1.15rem;margin:1.6rem 0 .5rem;)"
    R"(border-bottom:1px solid var(--line);padding-bottom:.2rem})"
    R"(.meta,.note,caption{color:var(--muted)}caption{text-align:left;padding:.2rem 0})"
    R"(table{border-collapse:collapse;margin:.3rem 0 .8rem;min-width:50%})"
    R"(th,td{padding:.2rem .6rem;border-bottom:1px solid var(--line);text-align:left;)"
    R"(vertical-align:top}thead th{font-weight:600;border-bottom:2px solid var(--line)})"
    R"(tbody tr:nth-child(even){background:var(--band)}th[scope=row]{font-weight:500;white-space:nowrap})"
    R"(.num{text-align:right;font-variant-numeric:tabular-nums;white-space:nowrap})"
    R"(tfoot th,tfoot td{font-weight:600;border-bottom:none}.drive th{color:var(--muted)})"
    R"(svg{max-width:100%;height:auto}svg text{fill:var(--fg);font:13px system-ui,sans-serif})"
    R"(svg .value,svg .scale{fill:var(--muted)}.bar{fill:var(--bar)}.sample{fill:var(--bar)})"
    R"(.hundred,.range{stroke:var(--fg);stroke-width:1}.median{fill:var(--fg)})"
    R"(.efficiency{fill:var(--good)}.wrap{overflow-x:auto})"
    R"(footer{margin-top:2rem;color:var(--muted);font-size:.85rem})"
    R"(@media print{:root{--fg:#000;--bg:#fff;--muted:#444;--line:#bbb;--band:#f2f2f2;)"
    R"(--bar:#1f6feb;--good:#1a7f37}body{max-width:none;padding:0})"
    R"(*{print-color-adjust:exact;-webkit-print-color-adjust:exact})"
    R"(section,table,svg{break-inside:avoid}})";

// The chart's geometry, in SVG user units (the view's rows and bars at a fixed width).
constexpr int kChartWidth = 760;
constexpr int kMargin = 10;
constexpr int kNameWidth = 190;
constexpr int kPercentWidth = 70;
constexpr int kGap = 8;
constexpr int kRowHeight = 22;
constexpr int kBarHeight = 14;
constexpr int kTextDrop = 15;  // from a row's top to its text's baseline

// The description fields as the description view lists them, with the key a row carries.
struct FieldRow {
  const char* label;
  const char* key;
  DescriptionField MachineDescription::*field;
};
constexpr std::array<FieldRow, kMachineFieldCount> kFieldRows = {{
    {"Number of threads", "threads", &MachineDescription::threads},
    {"Brand", "brand", &MachineDescription::brand},
    {"Model", "model", &MachineDescription::model},
    {"Motherboard", "motherboard", &MachineDescription::motherboard},
    {"CPU", "cpu", &MachineDescription::cpu},
    {"Number of CPUs", "cpus", &MachineDescription::cpuCount},
    {"Internal clock", "internal-clock", &MachineDescription::internalClock},
    {"External clock", "external-clock", &MachineDescription::externalClock},
    {"Cache size", "cache-size", &MachineDescription::cacheSize},
    {"Cache type", "cache-type", &MachineDescription::cacheType},
    {"RAM size", "ram-size", &MachineDescription::ramSize},
    {"RAM type", "ram-type", &MachineDescription::ramType},
    {"RAM speed", "ram-speed", &MachineDescription::ramSpeed},
    {"OS", "os", &MachineDescription::os},
}};

struct DriveFieldRow {
  const char* label;
  const char* key;
  DescriptionField DriveDescription::*field;
};
constexpr std::array<DriveFieldRow, 4> kDriveFieldRows = {{
    {"Driveletter", "letter", &DriveDescription::letter},
    {"Harddisk", "harddisk", &DriveDescription::harddisk},
    {"Controller", "controller", &DriveDescription::controller},
    {"Driver", "driver", &DriveDescription::driver},
}};

std::string_view Trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::string Number(std::int64_t value) { return std::to_string(value); }

std::string Percent(std::int64_t percent) { return std::to_string(percent) + " %"; }

std::string Decimal(double value, int digits) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", digits, value);
  return text;
}

// True when anything of a comparison machine was loaded: a result row, a description field or a
// described drive.
bool HasComparison(const BenchmarkState& state) {
  for (const ResultEntry& row : state.otherResults) {
    if (row.code != '\0') return true;
  }
  for (const FieldRow& row : kFieldRows) {
    if (!FieldText(state.otherMachine.*row.field).empty()) return true;
  }
  for (int k = 0; k < kDriveRecords; ++k) {
    if (IsDriveDescribed(state.otherDrives, k)) return true;
  }
  return false;
}

bool HasResults(const ResultTable& table) {
  return std::any_of(table.begin(), table.end(), [](const ResultEntry& e) { return e.code; });
}

// The heading's name of this machine: brand and model, or the processor, as store text.
std::string MachineTitle(const MachineDescription& machine) {
  const std::string_view brand = Trimmed(FieldText(machine.brand));
  const std::string_view model = Trimmed(FieldText(machine.model));
  std::string title(brand);
  if (!brand.empty() && !model.empty()) title += ' ';
  title += model;
  if (title.empty()) title = Trimmed(FieldText(machine.cpu));
  if (title.empty()) title = "This computer";
  return title;
}

std::string IsoTime(std::chrono::system_clock::time_point time) {
  using namespace std::chrono;
  const auto minutes = floor<std::chrono::minutes>(time);
  const auto day = floor<days>(minutes);
  const year_month_day date{day};
  const hh_mm_ss dayTime{minutes - day};
  char text[40];
  std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02dZ", static_cast<int>(date.year()),
                static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                static_cast<int>(dayTime.hours().count()),
                static_cast<int>(dayTime.minutes().count()));
  return text;
}

void Head(std::string& page, const WebPageContent& content) {
  page += "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n";
  page += "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n";
  page += "<meta name=\"color-scheme\" content=\"light dark\">\n";
  page += "<meta name=\"generator\" content=\"Quorvane " + HtmlText(content.version) + "\">\n";
  page += "<title>Quorvane: " + HtmlStoreText(MachineTitle(content.state->thisMachine)) +
          "</title>\n<style>";
  page += kStyle;
  page += "</style>\n</head>\n<body>\n";
}

void Heading(std::string& page, const WebPageContent& content) {
  const MachineDescription& machine = content.state->thisMachine;
  page += "<header>\n<h1 id=\"machine\">" + HtmlStoreText(MachineTitle(machine)) + "</h1>\n";
  page += "<p class=\"meta\" id=\"run\">";
  page += content.measured ? "Measured " : "Exported ";
  page += "<time id=\"when\" datetime=\"" + IsoTime(content.time) + "\">" +
          PageTimeText(content.time) + "</time>";
  if (!content.measured) page += " (a result file holds no date)";
  const std::string_view threads = Trimmed(FieldText(machine.threads));
  if (!threads.empty()) {
    page += " · <span id=\"threads\">" + HtmlStoreText(threads) + "</span>";
    page += threads == "1" ? " thread" : " threads";
  }
  page += " · Quorvane <span id=\"version\">" + HtmlText(content.version) + "</span></p>\n";
  page += "</header>\n<main>\n";
}

// A cell of a store text; `cls` names its column ("this", "other").
std::string Cell(const char* cls, std::string_view storeText) {
  return std::string("<td class=\"") + cls + "\">" + HtmlStoreText(storeText) + "</td>";
}

void Descriptions(std::string& page, const BenchmarkState& state, bool compared) {
  page += "<section id=\"descriptions\">\n<h2>Descriptions</h2>\n<div class=\"wrap\">";
  page +=
      "<table id=\"description\">\n<thead><tr><th scope=\"col\">Field</th>"
      "<th scope=\"col\">This computer</th>";
  if (compared) page += "<th scope=\"col\">Other computer</th>";
  page += "</tr></thead>\n<tbody>\n";
  for (const FieldRow& row : kFieldRows) {
    page += std::string("<tr data-field=\"") + row.key + "\"><th scope=\"row\">" + row.label +
            "</th>" + Cell("this", FieldText(state.thisMachine.*row.field));
    if (compared) page += Cell("other", FieldText(state.otherMachine.*row.field));
    page += "</tr>\n";
  }
  page += "</tbody>\n";
  // The described drives of both machines, paired by rank as the description view pairs them.
  std::vector<int> thisDrives, otherDrives;
  for (int k = 0; k < kDriveRecords; ++k) {
    if (IsDriveDescribed(state.thisDrives, k)) thisDrives.push_back(k);
    if (IsDriveDescribed(state.otherDrives, k)) otherDrives.push_back(k);
  }
  const std::size_t pairs = std::max(thisDrives.size(), compared ? otherDrives.size() : 0);
  for (std::size_t rank = 0; rank < pairs; ++rank) {
    page += "<tbody class=\"drive\" data-rank=\"" + std::to_string(rank) + "\">\n";
    for (const DriveFieldRow& row : kDriveFieldRows) {
      page += std::string("<tr data-field=\"") + row.key + "\"><th scope=\"row\">" + row.label +
              "</th>";
      page += rank < thisDrives.size()
                  ? Cell("this",
                         FieldText(state.thisDrives[static_cast<std::size_t>(thisDrives[rank])].*
                                   row.field))
                  : std::string("<td class=\"this\"></td>");
      if (compared) {
        page +=
            rank < otherDrives.size()
                ? Cell("other",
                       FieldText(state.otherDrives[static_cast<std::size_t>(otherDrives[rank])].*
                                 row.field))
                : std::string("<td class=\"other\"></td>");
      }
      page += "</tr>\n";
    }
    page += "</tbody>\n";
  }
  page += "</table></div>\n</section>\n";
}

std::string Attribute(const char* name, std::int64_t value) {
  return std::string(" ") + name + "=\"" + std::to_string(value) + "\"";
}

// The comparison as horizontal bars: this computer's percent of the other's, the other at 100
// percent as a vertical line, tests of this computer alone with their value, the totals apart.
void Chart(std::string& page, const ResultsModel& model) {
  const std::vector<ChartRow> rows = ChartRowsOf(model);
  const bool anyPercent =
      std::any_of(rows.begin(), rows.end(), [](const ChartRow& row) { return row.percent; });
  const bool anyTotal =
      std::any_of(rows.begin(), rows.end(), [](const ChartRow& row) { return row.total; });
  const int height = 2 * kMargin + static_cast<int>(rows.size() + 1) * kRowHeight +
                     (anyTotal ? kRowHeight / 2 : 0);
  const int barLeft = kMargin + kNameWidth + kGap;
  const int barWidth = kChartWidth - kMargin - kPercentWidth - kGap - barLeft;
  const double perPercent =
      static_cast<double>(barWidth) / static_cast<double>(ChartScalePercent(rows));
  const auto lengthOf = [perPercent](std::int64_t percent) {
    return std::llround(static_cast<double>(std::max<std::int64_t>(percent, 0)) * perPercent);
  };
  const std::int64_t lineX = barLeft + lengthOf(100);

  page += "<section id=\"comparison\">\n<h2>Relative performance</h2>\n";
  page += "<svg id=\"chart\" xmlns=\"http://www.w3.org/2000/svg\" role=\"img\"" +
          Attribute("width", kChartWidth) + Attribute("height", height) + " viewBox=\"0 0 " +
          std::to_string(kChartWidth) + " " + std::to_string(height) + "\">\n";
  page += anyPercent ? "<title>This computer as a percentage of the other computer</title>\n"
                     : "<title>This computer's results</title>\n";
  int top = kMargin;
  if (anyPercent) {
    page += "<text class=\"scale\" text-anchor=\"middle\"" + Attribute("x", lineX) +
            Attribute("y", top + kTextDrop) + ">100 %</text>\n";
  }
  top += kRowHeight;
  const int firstRowTop = top;
  bool totalsStarted = false;
  for (const ChartRow& row : rows) {
    if (row.total && !totalsStarted) {
      totalsStarted = true;
      top += kRowHeight / 2;
    }
    page += std::string("<g class=\"") + (row.total ? "total" : "test") + "\">";
    page += "<text class=\"name\"" + Attribute("x", kMargin) + Attribute("y", top + kTextDrop) +
            ">" + HtmlStoreText(row.name) + "</text>";
    if (row.percent) {
      const std::int64_t length = lengthOf(*row.percent);
      page += "<rect class=\"bar\"" + Attribute("x", barLeft) +
              Attribute("y", top + (kRowHeight - kBarHeight) / 2) + Attribute("width", length) +
              Attribute("height", kBarHeight) + "/>";
      page += "<text class=\"percent\"" + Attribute("x", barLeft + length + kGap) +
              Attribute("y", top + kTextDrop) + ">" + Percent(*row.percent) + "</text>";
    } else {
      page += "<text class=\"value\"" + Attribute("x", barLeft + kGap) +
              Attribute("y", top + kTextDrop) + ">" + HtmlStoreText(Trimmed(row.value)) + " " +
              HtmlStoreText(row.unit) + "</text>";
    }
    page += "</g>\n";
    top += kRowHeight;
  }
  if (anyPercent) {
    page += "<line class=\"hundred\"" + Attribute("x1", lineX) + Attribute("y1", firstRowTop) +
            Attribute("x2", lineX) + Attribute("y2", top - 1) + "/>\n";
  }
  page += "</svg>\n</section>\n";
}

void ResultsTable(std::string& page, const ResultsModel& model, bool compared) {
  page += "<section id=\"results-section\">\n<h2>Results</h2>\n<div class=\"wrap\">";
  page +=
      "<table id=\"results\">\n<thead><tr><th scope=\"col\">Test</th>"
      "<th scope=\"col\" class=\"num\">This computer</th>";
  if (compared) page += "<th scope=\"col\" class=\"num\">Other computer</th>";
  page += "<th scope=\"col\">Unit</th>";
  if (compared) page += "<th scope=\"col\" class=\"num\">Relative</th>";
  page += "</tr></thead>\n<tbody>\n";
  for (const ResultsRow& row : model.rows) {
    page += std::string("<tr data-code=\"") + HtmlStoreText(std::string(1, row.test->code)) +
            "\"><th scope=\"row\">" + HtmlStoreText(row.test->name) + "</th>";
    page += "<td class=\"this num\">" + HtmlStoreText(Trimmed(row.thisText)) + "</td>";
    if (compared) {
      page += "<td class=\"other num\">" +
              (row.otherText ? HtmlStoreText(Trimmed(*row.otherText)) : std::string("n/a")) +
              "</td>";
    }
    page += "<td class=\"unit\">" + HtmlStoreText(row.test->unit) + "</td>";
    if (compared) {
      page += "<td class=\"percent num\">" +
              (row.Compared() ? Percent(row.percent) : std::string("n/a")) + "</td>";
    }
    page += "</tr>\n";
  }
  page += "</tbody>\n";
  const ResultsTotals& totals = model.totals;
  const std::pair<const char*, const std::optional<std::int64_t>*> totalRows[] = {
      {"Total CPU", &totals.totalCpu},
      {"Total FPU", &totals.totalFpu},
      {"Average", &totals.average},
      {"Application Performance", &totals.applicationPerformance}};
  const char* keys[] = {"cpu", "fpu", "average", "application"};
  std::string foot;
  for (std::size_t i = 0; i < std::size(totalRows); ++i) {
    const auto& [name, value] = totalRows[i];
    if (!*value) continue;
    foot += std::string("<tr data-total=\"") + keys[i] + "\"><th scope=\"row\" colspan=\"4\">" +
            name + "</th><td class=\"percent num\">" + Percent(**value) + "</td></tr>\n";
  }
  if (!foot.empty()) page += "<tfoot>\n" + foot + "</tfoot>\n";
  page += "</table></div>\n</section>\n";
}

// One row of the samples table: a test's (or a disk row's) scores of its rounds or repetitions.
struct SampleRow {
  std::string name;  // plain text (UTF-8)
  std::vector<std::int64_t> samples;
  double spread = 0;
  std::string note;  // what else is known of how it was measured
};

std::int64_t MedianOf(std::vector<std::int64_t> samples) {
  std::sort(samples.begin(), samples.end());
  const std::size_t n = samples.size();
  return n % 2 ? samples[n / 2] : (samples[n / 2 - 1] + samples[n / 2]) / 2;
}

std::vector<SampleRow> SampleRowsOf(const WebPageContent& content) {
  std::vector<SampleRow> rows;
  if (content.repeated != nullptr && content.repeated->repetitions() > 0) {
    for (const RepeatedRow& row : content.repeated->rows()) {
      if (row.samples.empty()) continue;
      std::string note = std::to_string(row.samples.size()) + " of " +
                         std::to_string(content.repeated->repetitions()) + " runs";
      if (row.Noisy()) note += ", noisy";
      rows.push_back({RepeatedRuns::RowName(row), row.samples, row.SpreadPercent(), note});
    }
  } else if (content.steadyRuns != nullptr && content.steadyRuns->size() == 1) {
    for (const SteadyTest& test : content.steadyRuns->front()) {
      const std::vector<std::uint32_t> scored = test.ScoredSamples();
      if (scored.empty()) continue;
      std::string note = std::to_string(test.Kept()) + " rounds kept";
      if (test.Disturbed() > 0) note += ", " + std::to_string(test.Disturbed()) + " disturbed";
      note += test.agreed ? ", settled" : ", not settled";
      if (test.lostScore) note += ", score lost";
      rows.push_back({std::string(InfoOf(test.test).name),
                      std::vector<std::int64_t>(scored.begin(), scored.end()), test.SpreadPercent(),
                      note});
    }
  }
  return rows;
}

// Samples beyond this many are shown by their range and median only, so that a long repeated
// run keeps the page small.
constexpr std::size_t kMostDots = 16;

// A min-median-max strip of the samples, each sample a dot (up to kMostDots of them).
std::string Strip(const std::vector<std::int64_t>& samples) {
  constexpr int kWidth = 200, kHeight = 18, kInset = 6;
  const auto range = std::minmax_element(samples.begin(), samples.end());
  const auto low = range.first, high = range.second;
  const double span = static_cast<double>(*high - *low);
  const auto xOf = [&](std::int64_t value) {
    if (span == 0) return kWidth / 2.0;
    return kInset + static_cast<double>(value - *low) / span * (kWidth - 2 * kInset);
  };
  std::string svg = "<svg class=\"strip\" xmlns=\"http://www.w3.org/2000/svg\" role=\"img\"" +
                    Attribute("width", kWidth) + Attribute("height", kHeight) + " viewBox=\"0 0 " +
                    std::to_string(kWidth) + " " + std::to_string(kHeight) + "\">";
  svg += "<title>min " + Number(*low) + ", median " + Number(MedianOf(samples)) + ", max " +
         Number(*high) + "</title>";
  svg += "<line class=\"range\" x1=\"" + Decimal(xOf(*low), 1) + "\" y1=\"9\" x2=\"" +
         Decimal(xOf(*high), 1) + "\" y2=\"9\"/>";
  if (samples.size() <= kMostDots) {
    for (std::int64_t sample : samples) {
      svg += "<circle class=\"sample\" cx=\"" + Decimal(xOf(sample), 1) + "\" cy=\"9\" r=\"3\"/>";
    }
  }
  svg += "<rect class=\"median\" x=\"" + Decimal(xOf(MedianOf(samples)) - 1, 1) +
         "\" y=\"2\" width=\"2\" height=\"14\"/></svg>";
  return svg;
}

void Samples(std::string& page, const WebPageContent& content) {
  const std::vector<SampleRow> rows = SampleRowsOf(content);
  if (rows.empty()) return;
  page += "<section id=\"samples-section\">\n<h2>Samples</h2>\n<div class=\"wrap\">";
  page +=
      "<table id=\"samples\">\n<thead><tr><th scope=\"col\">Test</th>"
      "<th scope=\"col\" class=\"num\">Min</th><th scope=\"col\" class=\"num\">Median</th>"
      "<th scope=\"col\" class=\"num\">Max</th><th scope=\"col\" class=\"num\">Spread</th>"
      "<th scope=\"col\">Samples</th><th scope=\"col\">Measured</th></tr></thead>\n<tbody>\n";
  for (const SampleRow& row : rows) {
    const auto [low, high] = std::minmax_element(row.samples.begin(), row.samples.end());
    page += "<tr><th scope=\"row\">" + HtmlText(row.name) + "</th><td class=\"num min\">" +
            Number(*low) + "</td><td class=\"num median\">" + Number(MedianOf(row.samples)) +
            "</td><td class=\"num max\">" + Number(*high) + "</td><td class=\"num spread\">" +
            Decimal(row.spread, 1) + " %</td><td>" + Strip(row.samples) + "</td><td>" +
            HtmlText(row.note) + "</td></tr>\n";
  }
  page += "</tbody></table></div>\n</section>\n";
}

// The sweep: per test, each thread count's score, speed-up and efficiency, the efficiency also
// as a bar (100 % a full bar).
void Sweep(std::string& page, const std::vector<SweepRun>& runs) {
  if (runs.empty()) return;
  page += "<section id=\"sweep-section\">\n<h2>Thread sweep</h2>\n<div class=\"wrap\">";
  page +=
      "<table id=\"sweep\">\n<thead><tr><th scope=\"col\">Test</th>"
      "<th scope=\"col\" class=\"num\">Threads</th><th scope=\"col\" class=\"num\">Score</th>"
      "<th scope=\"col\">Unit</th><th scope=\"col\" class=\"num\">Speed-up</th>"
      "<th scope=\"col\" class=\"num\">Efficiency</th><th scope=\"col\"></th></tr></thead>\n";
  for (const TestInfo& test : kTestTable) {
    std::string body;
    for (const SweepRun& run : runs) {
      const int row = FindRowByCode(run.results, test.code);
      if (row < 0) continue;
      const std::optional<double> speedUp = SpeedUp(runs, run, test.code);
      body += "<tr data-code=\"" + HtmlStoreText(std::string(1, test.code)) + "\" data-threads=\"" +
              std::to_string(run.threads) + "\"><th scope=\"row\">" + HtmlStoreText(test.name) +
              "</th><td class=\"num\">" + std::to_string(run.threads) +
              "</td><td class=\"num score\">" +
              HtmlStoreText(Trimmed(ValueText(run.results[static_cast<std::size_t>(row)]))) +
              "</td><td>" + HtmlStoreText(test.unit) + "</td>";
      if (speedUp) {
        const std::int64_t efficiency = EfficiencyPercent(*speedUp, run.threads);
        const std::int64_t length = std::clamp<std::int64_t>(efficiency, 0, 150);
        body += "<td class=\"num\">" + Decimal(*speedUp, 2) + "</td><td class=\"num efficiency\">" +
                Percent(efficiency) +
                "</td><td><svg xmlns=\"http://www.w3.org/2000/svg\" width=\"150\" height=\"12\" "
                "viewBox=\"0 0 150 12\" role=\"img\"><title>" +
                Percent(efficiency) +
                " efficiency</title><rect class=\"efficiency\" x=\"0\" "
                "y=\"1\" height=\"10\"" +
                Attribute("width", length) + "/></svg></td>";
      } else {
        body += "<td class=\"num\">n/a</td><td class=\"num\">n/a</td><td></td>";
      }
      body += "</tr>\n";
    }
    if (!body.empty()) page += "<tbody>\n" + body + "</tbody>\n";
  }
  page += "</table></div>\n</section>\n";
}

// The drive blocks, paired by the row they start at as the report pairs them.
void Disks(std::string& page, const BenchmarkState& state) {
  std::string blocks;
  for (const DriveBlockPair& pair : PairedDriveBlocks(state.thisResults, state.otherResults)) {
    const ResultEntry* thisBlock = pair.thisBlock;
    const ResultEntry* otherBlock = pair.otherBlock;
    blocks += "<table class=\"disk\"";
    if (thisBlock)
      blocks += " data-this=\"" + HtmlStoreText(std::string(1, thisBlock->code)) + "\"";
    if (otherBlock)
      blocks += " data-other=\"" + HtmlStoreText(std::string(1, otherBlock->code)) + "\"";
    blocks += ">\n<thead><tr><th scope=\"col\"></th>";
    blocks += "<th scope=\"col\" class=\"num\">" +
              (thisBlock ? "This computer, drive " + HtmlStoreText(std::string(1, thisBlock->code))
                         : std::string("This computer")) +
              "</th>";
    if (otherBlock) {
      blocks += "<th scope=\"col\" class=\"num\">Other computer, drive " +
                HtmlStoreText(std::string(1, otherBlock->code)) + "</th>";
    }
    blocks += "<th scope=\"col\">Unit</th></tr></thead>\n<tbody>\n";
    for (int i = 0; i < kDriveBlockRows; ++i) {
      const DriveRowInfo& info = kDriveRowTable[static_cast<std::size_t>(i)];
      blocks +=
          "<tr><th scope=\"row\">" + HtmlStoreText(info.name) + "</th><td class=\"this num\">" +
          (thisBlock ? HtmlStoreText(Trimmed(ValueText(thisBlock[i]))) : std::string()) + "</td>";
      if (otherBlock) {
        blocks +=
            "<td class=\"other num\">" + HtmlStoreText(Trimmed(ValueText(otherBlock[i]))) + "</td>";
      }
      blocks += "<td>" + HtmlStoreText(info.unit) + "</td></tr>\n";
    }
    blocks += "</tbody></table>\n";
  }
  if (blocks.empty()) return;
  page += "<section id=\"disks\">\n<h2>Disk throughput</h2>\n<div class=\"wrap\">" + blocks +
          "</div>\n</section>\n";
}

void DefinitionRow(std::string& page, const char* key, const char* label, const std::string& text) {
  page += std::string("<tr data-key=\"") + key + "\"><th scope=\"row\">" + label + "</th><td>" +
          HtmlText(text) + "</td></tr>\n";
}

void Environment(std::string& page, const WebPageContent& content) {
  if (content.environment == nullptr && content.build == nullptr) return;
  page += "<section id=\"environment-section\">\n<h2>Environment and build</h2>\n";
  page += "<table id=\"environment\">\n<tbody>\n";
  if (const MachineEnvironment* environment = content.environment) {
    DefinitionRow(page, "other-load", "Other programs' load",
                  environment->otherLoadPercent
                      ? Decimal(*environment->otherLoadPercent, 1) + " % of the processors' time"
                      : std::string(kUnknown));
    DefinitionRow(page, "governor", "Frequency governor", environment->governor);
    std::string virtualMachine = TriStateText(environment->virtualMachine);
    if (!environment->virtualEvidence.empty())
      virtualMachine += " (" + environment->virtualEvidence + ")";
    DefinitionRow(page, "virtual-machine", "Virtual machine", virtualMachine);
    DefinitionRow(page, "processor", "Processor", environment->processor);
    DefinitionRow(page, "shared-cores", "Hardware threads share cores",
                  TriStateText(environment->sharedCores));
    for (const std::string& warning : EnvironmentWarnings(*environment))
      DefinitionRow(page, "warning", "Warning", warning);
  }
  if (const BuildStamp* build = content.build) {
    DefinitionRow(page, "compiler", "Compiler", build->compiler);
    DefinitionRow(page, "kernel-flags", "Kernel flags", build->kernelFlags);
    DefinitionRow(page, "c-library", "C library", build->cLibrary);
    DefinitionRow(page, "math-library", "Mathematics library", build->mathLibrary);
    DefinitionRow(page, "build-version", "Version", build->version);
  }
  page += "</tbody></table>\n</section>\n";
}

}  // namespace

std::string PageTimeText(std::chrono::system_clock::time_point time) {
  std::string text = IsoTime(time);  // YYYY-MM-DDTHH:MMZ
  text[10] = ' ';
  text.back() = ' ';
  return text + "UTC";
}

std::string WebPageBytes(const WebPageContent& content) {
  const BenchmarkState& state = *content.state;
  const bool compared = HasComparison(state);
  std::string page;
  page.reserve(64 * 1024);
  Head(page, content);
  Heading(page, content);
  Descriptions(page, state, compared);
  const ResultsModel model = BuildResultsModel(state.thisResults, state.otherResults);
  if (!model.rows.empty()) {
    Chart(page, model);
    ResultsTable(page, model, compared);
  }
  Samples(page, content);
  if (content.sweep != nullptr) Sweep(page, *content.sweep);
  Disks(page, state);
  if (!HasResults(state.thisResults) && !HasResults(state.otherResults)) {
    page += "<p class=\"note\" id=\"no-results\">No results: the descriptions only.</p>\n";
  }
  Environment(page, content);
  page += "</main>\n<footer>Made by Quorvane " + HtmlText(content.version) +
          ". One file: it loads nothing and runs no script.</footer>\n</body>\n</html>\n";
  return page;
}

}  // namespace quorvane

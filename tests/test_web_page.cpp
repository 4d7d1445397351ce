// The web page of a run: texts escaped for HTML and SVG, the chart's rows shared with the chart
// view, the page's parts for a comparison, for this machine alone and for a file without
// results, the samples, sweep, disk blocks and environment of a full run, and its size.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "engine/BenchmarkState.h"
#include "report/ChartModel.h"
#include "report/HtmlText.h"
#include "report/WebPage.h"

namespace quorvane {
namespace {

using namespace std::chrono_literals;

constexpr const char* kScript = "<script>alert(1)</script>";
constexpr const char* kBreakOut = "\"><img src=x onerror=alert(2)>";
constexpr const char* kQuote = "' onmouseover='alert(3)";

std::size_t Count(const std::string& text, const std::string& part) {
  std::size_t count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
    ++count;
  return count;
}

// The names of every element the page opens.
std::set<std::string> ElementNames(const std::string& page) {
  std::set<std::string> names;
  const std::regex tag("<([A-Za-z][A-Za-z0-9]*)");
  for (auto it = std::sregex_iterator(page.begin(), page.end(), tag); it != std::sregex_iterator();
       ++it)
    names.insert((*it)[1]);
  return names;
}

// Every attribute name inside the page's tags.
std::set<std::string> AttributeNames(const std::string& page) {
  std::set<std::string> names;
  const std::regex tagText("<[A-Za-z][^>]*>");
  const std::regex attribute("\\s([^\\s=/>]+)(=\"[^\"]*\")?");
  for (auto it = std::sregex_iterator(page.begin(), page.end(), tagText);
       it != std::sregex_iterator(); ++it) {
    const std::string text = it->str();
    for (auto a = std::sregex_iterator(text.begin(), text.end(), attribute);
         a != std::sregex_iterator(); ++a)
      names.insert((*a)[1]);
  }
  return names;
}

TEST(HtmlText, MarkupQuotesControlsAndBadBytesBecomeTextOnly) {
  EXPECT_EQ(HtmlText(kScript), "&lt;script&gt;alert(1)&lt;/script&gt;");
  EXPECT_EQ(HtmlText(kBreakOut), "&quot;&gt;&lt;img src=x onerror=alert(2)&gt;");
  EXPECT_EQ(HtmlText(kQuote), "&#39; onmouseover=&#39;alert(3)");
  EXPECT_EQ(HtmlText("a&b &amp;"), "a&amp;b &amp;amp;");
  // Controls (C0, DEL, C1) as '?'; a byte that is not UTF-8 and a noncharacter as U+FFFD.
  EXPECT_EQ(HtmlText(std::string("a\0b\tc\x7F\xC2\x85", 8)), "a?b?c??");
  EXPECT_EQ(HtmlText("\xFF<"), "\xEF\xBF\xBD&lt;");
  EXPECT_EQ(HtmlText("\xEF\xB7\x90\xEF\xBF\xBF"), "\xEF\xBF\xBD\xEF\xBF\xBD");
  EXPECT_EQ(HtmlText("Zürich € 𝄞"), "Zürich € 𝄞");
  // Store text is Windows-1252: € is 0x80, ü 0xFC; its undefined bytes are controls.
  EXPECT_EQ(HtmlStoreText("Z\xFCrich \x80 \x81<"), "Zürich € ?&lt;");
  EXPECT_EQ(HtmlStoreText(""), "");
}

// Three tests of this machine against two of the other's: Dhrystone at 150 %, Whetstone at 50 %,
// the queens of this machine alone.
std::unique_ptr<BenchmarkState> DhrystoneWhetstoneAndQueensAgainstTwo() {
  auto state = std::make_unique<BenchmarkState>();
  SetRow(state->thisResults[0], 'd', 1500);
  SetRow(state->thisResults[1], 'w', 500);
  SetRow(state->thisResults[2], 'q', 777);
  SetRow(state->otherResults[0], 'd', 1000);
  SetRow(state->otherResults[1], 'w', 1000);
  return state;
}

TEST(ChartRows, TestsThenTotalsWithPercentsOrThisMachinesValueAndAScaleOfAtLeast100) {
  const std::unique_ptr<BenchmarkState> state = DhrystoneWhetstoneAndQueensAgainstTwo();
  const std::vector<ChartRow> rows =
      ChartRowsOf(BuildResultsModel(state->thisResults, state->otherResults));
  ASSERT_EQ(rows.size(), 7u);
  const char* names[] = {"Dhrystone 2.1", "Whetstone", "Eight queens problem",   "Total CPU",
                         "Total FPU",     "Average",   "Application Performance"};
  const std::int64_t percents[] = {150, 50, -1, 150, 50, 100, 142};
  for (std::size_t i = 0; i < rows.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(rows[i].name, names[i]);
    EXPECT_EQ(rows[i].total, i >= 3);
    EXPECT_EQ(rows[i].percent.value_or(-1), percents[i]);
  }
  EXPECT_EQ(rows[2].value, "       777");
  EXPECT_EQ(rows[2].unit, "pps");
  EXPECT_TRUE(rows[0].value.empty() && rows[0].unit.empty());
  EXPECT_EQ(ChartScalePercent(rows), 150);
  EXPECT_EQ(ChartScalePercent({rows[1]}), 100);
  EXPECT_TRUE(ChartRowsOf(BuildResultsModel(ResultTable{}, ResultTable{})).empty());
}

TEST(PageTime, MinutesInUtc) {
  const std::chrono::sys_days day = std::chrono::year{2026} / 12 / 7;
  EXPECT_EQ(PageTimeText(day + 21h + 40min + 59s), "2026-12-07 21:40 UTC");
  EXPECT_EQ(PageTimeText(std::chrono::system_clock::time_point{}), "1970-01-01 00:00 UTC");
}

// Two machines with hostile texts wherever a file or the system can put text.
struct HostileRun {
  std::unique_ptr<BenchmarkState> state = std::make_unique<BenchmarkState>();
  MachineEnvironment environment;
  BuildStamp build{"GCC <b>12</b>", "-O2", "glibc 2.36", "glibc", "0.7.16"};

  HostileRun() {
    SetField(state->thisMachine.brand, kScript);
    SetField(state->thisMachine.model, kBreakOut);
    SetField(state->thisMachine.cpu, "x86 \xFC\x80");
    SetField(state->thisMachine.threads, "2");
    SetField(state->otherMachine.brand, kQuote);
    SetField(state->otherMachine.os, "Debian & <i>friends</i>");
    SetField(state->thisDrives[0].letter, "C");
    SetField(state->thisDrives[0].harddisk, kScript);
    SetField(state->otherDrives[1].letter, "D\"><svg onload=alert(4)>");
    SetField(state->otherDrives[1].controller, kBreakOut);
    SetRow(state->thisResults[0], 'd', 1500);
    SetRow(state->thisResults[1], 'w', 500);
    SetRow(state->otherResults[0], 'd', 1000);
    // A value text a file can hold (its check letter is that of 0).
    std::memcpy(state->otherResults[1].value.data(), "<b x=\"'\">", 10);
    state->otherResults[1].code = 'w';
    environment.processor = kScript;
    environment.governor = kBreakOut;
    environment.otherLoadPercent = 12.345;
  }
  std::string Page() const {
    WebPageContent content;
    content.state = state.get();
    content.version = "0.7.16";
    content.environment = &environment;
    content.build = &build;
    return WebPageBytes(content);
  }
};

TEST(WebPage, HostileTextsAreShownAsTextAndAddNoElementOrAttribute) {
  const HostileRun run;
  const std::string page = run.Page();
  const std::set<std::string> allowed = {
      "html", "head",   "meta", "title",   "style", "body", "header", "h1",    "p",     "time",
      "span", "circle", "main", "section", "h2",    "div",  "table",  "thead", "tbody", "tfoot",
      "tr",   "th",     "td",   "svg",     "g",     "text", "rect",   "line",  "footer"};
  for (const std::string& name : ElementNames(page)) EXPECT_TRUE(allowed.contains(name)) << name;
  for (const std::string& name : AttributeNames(page)) {
    EXPECT_FALSE(name.starts_with("on")) << name;
    EXPECT_TRUE(name == "lang" || name == "charset" || name == "name" || name == "content" ||
                name == "id" || name == "class" || name == "datetime" || name == "scope" ||
                name == "colspan" || name == "role" || name == "xmlns" || name == "viewBox" ||
                name == "width" || name == "height" || name == "x" || name == "y" || name == "x1" ||
                name == "x2" || name == "y1" || name == "y2" || name == "text-anchor" ||
                name.starts_with("data-"))
        << name;
  }
  EXPECT_EQ(Count(page, "<script"), 0u);
  // Each text where it belongs, escaped.
  EXPECT_NE(page.find("<h1 id=\"machine\">&lt;script&gt;alert(1)&lt;/script&gt; &quot;&gt;&lt;"
                      "img src=x onerror=alert(2)&gt;</h1>"),
            std::string::npos);
  EXPECT_NE(page.find("<title>Quorvane: &lt;script&gt;"), std::string::npos);
  EXPECT_NE(page.find("<tr data-field=\"brand\"><th scope=\"row\">Brand</th><td class=\"this\">"
                      "&lt;script&gt;alert(1)&lt;/script&gt;</td><td class=\"other\">&#39; "
                      "onmouseover=&#39;alert(3)</td></tr>"),
            std::string::npos);
  EXPECT_NE(page.find("<td class=\"other\">Debian &amp; &lt;i&gt;friends&lt;/i&gt;</td>"),
            std::string::npos);
  EXPECT_NE(page.find("<td class=\"this\">x86 ü€</td>"), std::string::npos);
  // Drives paired by rank: C beside D.
  EXPECT_NE(page.find("<tr data-field=\"letter\"><th scope=\"row\">Driveletter</th><td "
                      "class=\"this\">C</td><td class=\"other\">D&quot;&gt;&lt;svg "
                      "onload=alert(4)&gt;</td></tr>"),
            std::string::npos);
  EXPECT_NE(page.find("<td class=\"this\">&lt;script&gt;alert(1)&lt;/script&gt;</td><td "
                      "class=\"other\"></td>"),
            std::string::npos);
  EXPECT_NE(page.find("<td class=\"other num\">&lt;b x=&quot;&#39;&quot;&gt;</td>"),
            std::string::npos);
  EXPECT_NE(page.find("<td>GCC &lt;b&gt;12&lt;/b&gt;</td>"), std::string::npos);
  EXPECT_NE(page.find("<td>12.3 % of the processors&#39; time</td>"), std::string::npos);
  EXPECT_NE(page.find("<tr data-key=\"processor\"><th scope=\"row\">Processor</th><td>&lt;script"),
            std::string::npos);
}

TEST(WebPage, AComparisonGivesBarsInProportionPercentsAndTheReportsTotals) {
  const std::unique_ptr<BenchmarkState> state = DhrystoneWhetstoneAndQueensAgainstTwo();
  WebPageContent content;
  content.state = state.get();
  content.version = "9.9";
  content.time = std::chrono::sys_days{std::chrono::year{2026} / 1 / 2} + 3h + 4min;
  const std::string page = WebPageBytes(content);
  EXPECT_NE(page.find("Exported <time id=\"when\" datetime=\"2026-01-02T03:04Z\">2026-01-02 03:04 "
                      "UTC</time> (a result file holds no date)"),
            std::string::npos);
  EXPECT_NE(page.find("<tr data-code=\"d\"><th scope=\"row\">Dhrystone 2.1</th><td class=\"this "
                      "num\">1500</td><td class=\"other num\">1000</td><td "
                      "class=\"unit\">kDhryst.</td><td class=\"percent num\">150 %</td></tr>"),
            std::string::npos);
  EXPECT_NE(page.find("<td class=\"other num\">n/a</td><td class=\"unit\">pps</td><td "
                      "class=\"percent num\">n/a</td>"),
            std::string::npos);
  const std::pair<const char*, const char*> totals[] = {
      {"cpu", "150"}, {"fpu", "50"}, {"average", "100"}, {"application", "142"}};
  for (const auto& [key, percent] : totals) {
    EXPECT_NE(page.find(std::string("<tr data-total=\"") + key +
                        "\"><th scope=\"row\" "
                        "colspan=\"4\">"),
              std::string::npos);
    EXPECT_NE(page.find(std::string("\">") + percent + " %</td></tr>"), std::string::npos);
  }
  // Six bars (two tests, four totals) from one left edge, widths in proportion to the percents
  // on a scale that ends at 150; the 100 percent line at two thirds of the widest.
  const std::regex bar("<rect class=\"bar\" x=\"(\\d+)\" y=\"\\d+\" width=\"(\\d+)\"");
  std::vector<int> widths;
  for (auto it = std::sregex_iterator(page.begin(), page.end(), bar); it != std::sregex_iterator();
       ++it) {
    EXPECT_EQ((*it)[1], "208");
    widths.push_back(std::stoi((*it)[2]));
  }
  ASSERT_EQ(widths, (std::vector<int>{464, 155, 464, 155, 309, 439}));
  EXPECT_NE(page.find("<line class=\"hundred\" x1=\"517\""), std::string::npos);
  EXPECT_NE(page.find(">777 pps</text>"), std::string::npos);  // measured here only: its value
  EXPECT_EQ(page.find("id=\"samples\""), std::string::npos);
  EXPECT_EQ(page.find("id=\"environment\""), std::string::npos);
  EXPECT_EQ(page.find("id=\"disks\""), std::string::npos);
}

TEST(WebPage, WithoutAComparisonThisMachineOnlyAndWithoutResultsTheDescriptions) {
  auto state = std::make_unique<BenchmarkState>();
  SetField(state->thisMachine.cpu, "Only a CPU");
  SetRow(state->thisResults[0], 'q', 777);
  for (int row = 1; row < 8; ++row)
    SetRow(state->thisResults[static_cast<std::size_t>(row)], row == 1 ? 'C' : ' ', 100 + row);
  WebPageContent content;
  content.state = state.get();
  content.measured = true;
  std::string page = WebPageBytes(content);
  EXPECT_NE(page.find("<h1 id=\"machine\">Only a CPU</h1>"), std::string::npos);
  EXPECT_NE(page.find("<p class=\"meta\" id=\"run\">Measured <time"), std::string::npos);
  EXPECT_EQ(page.find("no date"), std::string::npos);
  for (const char* other : {"class=\"other", "Other computer", "class=\"percent", "data-total",
                            "class=\"bar\"", "class=\"hundred\"", "100 %", "id=\"no-results\""})
    EXPECT_EQ(page.find(other), std::string::npos) << other;
  EXPECT_NE(page.find(">777 pps</text>"), std::string::npos);
  EXPECT_NE(page.find("<table class=\"disk\" data-this=\"C\">"), std::string::npos);
  EXPECT_NE(page.find("<th scope=\"row\">CPU usage</th><td class=\"this num\">107</td><td>percent"),
            std::string::npos);

  // A loaded file without results: the descriptions, no chart, no results table.
  state = std::make_unique<BenchmarkState>();
  SetField(state->otherMachine.brand, "Other brand");
  content.state = state.get();
  content.measured = false;
  page = WebPageBytes(content);
  EXPECT_NE(page.find("<h1 id=\"machine\">This computer</h1>"), std::string::npos);
  EXPECT_NE(page.find("<td class=\"other\">Other brand</td>"), std::string::npos);
  EXPECT_NE(page.find("id=\"no-results\""), std::string::npos);
  for (const char* part : {"<svg", "id=\"results\"", "class=\"disk\""})
    EXPECT_EQ(page.find(part), std::string::npos) << part;
}

// Drive blocks pair by the row they start at, as in the report: an other-only block, then a
// this-only one, even for the same letter.
TEST(WebPage, DriveBlocksPairByRowPosition) {
  auto state = std::make_unique<BenchmarkState>();
  for (int row = 0; row < 7; ++row) {
    SetRow(state->thisResults[static_cast<std::size_t>(row + 2)], row ? ' ' : 'C', 10 + row);
    SetRow(state->otherResults[static_cast<std::size_t>(row)], row ? ' ' : 'C', 20 + row);
    SetRow(state->otherResults[static_cast<std::size_t>(row + 9)], row ? ' ' : 'E', 30 + row);
  }
  SetRow(state->thisResults[0], 'd', 1);
  SetRow(state->thisResults[1], 'w', 1);
  WebPageContent content;
  content.state = state.get();
  const std::string page = WebPageBytes(content);
  const std::size_t first = page.find("<table class=\"disk\" data-other=\"C\">");
  const std::size_t second = page.find("<table class=\"disk\" data-this=\"C\">");
  const std::size_t third = page.find("<table class=\"disk\" data-other=\"E\">");
  ASSERT_NE(first, std::string::npos);
  EXPECT_TRUE(first < second && second < third && third != std::string::npos);
  EXPECT_NE(page.find("<th scope=\"row\">Read max</th><td class=\"this num\"></td><td "
                      "class=\"other num\">20</td>"),
            std::string::npos);
  EXPECT_NE(page.find("<th scope=\"row\">CPU usage</th><td class=\"this num\">16</td><td>"),
            std::string::npos);
  EXPECT_EQ(Count(page, "class=\"disk\""), 3u);
}

// The largest run there is: every field of both machines 63 characters of '&' (escaped five
// times longer), 24 drives, seven tests and thirteen drive blocks, eight rounds a test, a
// repeated run of 99 and a sweep up to 128 threads. It stays under 200 KB and shows each part.
TEST(WebPage, AFullRunWithSamplesSweepAndEnvironmentStaysUnder200KB) {
  auto state = std::make_unique<BenchmarkState>();
  const std::string wide(63, '&');
  for (MachineDescription* machine : {&state->thisMachine, &state->otherMachine}) {
    for (DescriptionField MachineDescription::*field : kMachineFields)
      SetField(machine->*field, wide);
  }
  for (DriveTable* drives : {&state->thisDrives, &state->otherDrives}) {
    for (int k = 0; k < kDriveRecords; ++k) {
      DriveDescription& drive = (*drives)[static_cast<std::size_t>(k)];
      SetField(drive.letter, std::string(1, static_cast<char>('C' + k)) + wide.substr(1));
      SetField(drive.harddisk, wide);
      SetField(drive.controller, wide);
      SetField(drive.driver, wide);
    }
  }
  std::size_t row = 0;
  for (const char code : {'d', 'w', 'q', 'c', 'n', 'f', 'm'}) {
    SetRow(state->thisResults[row], code, 4000000000u);
    SetRow(state->otherResults[row++], code, 3);
  }
  for (int block = 0; block < 13; ++block) {
    for (int k = 0; k < 7; ++k) {
      SetRow(state->thisResults[row], k ? ' ' : static_cast<char>('C' + block), 4000000000u);
      SetRow(state->otherResults[row++], k ? ' ' : static_cast<char>('C' + block), 4000000000u);
    }
  }
  std::vector<std::vector<SteadyTest>> steadyRuns(1);
  for (TestId test : kAllTests) {
    SteadyTest steady;
    steady.test = test;
    for (int round = 0; round < 8; ++round)
      steady.samples.push_back({4000000000u - static_cast<std::uint32_t>(round), 1.0, 1.0, false});
    steadyRuns[0].push_back(steady);
  }
  RepeatedRuns repeated;
  for (int repetition = 0; repetition < 99; ++repetition) repeated.Add(state->thisResults);
  std::vector<SweepRun> sweep;
  for (int threads = 1; threads <= 128; threads *= 2)
    sweep.push_back({threads, state->thisResults});
  MachineEnvironment environment;
  environment.processor = wide;
  BuildStamp build{wide, wide, wide, wide, wide};

  WebPageContent content;
  content.state = state.get();
  content.version = "0.7.16";
  content.steadyRuns = &steadyRuns;
  content.sweep = &sweep;
  content.environment = &environment;
  content.build = &build;
  std::string page = WebPageBytes(content);
  EXPECT_EQ(Count(page, "<circle class=\"sample\""), 7u * 8u);  // the steady rounds
  content.repeated = &repeated;  // a repeated run shows its repetitions instead
  page = WebPageBytes(content);
  RecordProperty("bytes", static_cast<int>(page.size()));
  EXPECT_LT(page.size(), 200u * 1024u);
  EXPECT_EQ(Count(page, "<table class=\"disk\""), 13u);
  EXPECT_EQ(Count(page, "<tbody class=\"drive\""), 24u);
  EXPECT_EQ(Count(page, "<svg class=\"strip\""), 7u + 13u * 7u);
  EXPECT_EQ(Count(page, "<circle class=\"sample\""), 0u);  // 99 are too many dots
  EXPECT_EQ(Count(page, "data-threads=\""), 7u * 8u);
  EXPECT_NE(page.find("<td class=\"num efficiency\">13 %</td>"), std::string::npos);  // at 8
  EXPECT_NE(page.find(">99 of 99 runs</td>"), std::string::npos);
  EXPECT_NE(page.find("<td class=\"percent num\">133333333333 %</td>"), std::string::npos);
}

}  // namespace
}  // namespace quorvane

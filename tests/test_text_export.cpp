// The text export: every report line down to the last non-empty one, CR LF after each.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "report/Report.h"
#include "report/TextExport.h"

namespace quorvane {
namespace {

namespace fs = std::filesystem;

TEST(TextExport, TheResultsViewIsWrittenLineByLine) {
  auto state = std::make_unique<BenchmarkState>();
  SetRow(state->thisResults[0], 'd', 1500);
  SetRow(state->otherResults[0], 'd', 1000);
  BuildReport(*state);
  const std::string expected =
      "                                this      other              relative\r\n"
      "                            computer   computer           performance\r\n"
      " \r\n"
      "Dhrystone 2.1                   1500       1000  kDhryst. 150 percent\r\n" +
      std::string(106, ' ') + "\r\n" +
      "                                           Total CPU      150 percent\r\n"
      "                                             Average      150 percent\r\n";
  EXPECT_EQ(ExportBytes(state->ReportText), expected);
}

TEST(TextExport, TheDescriptionViewKeepsItsEmptyLines) {
  auto state = std::make_unique<BenchmarkState>();
  SetField(state->thisMachine.brand, "Acme");
  SetField(state->thisMachine.os, "Linux");
  SetField(state->otherMachine.os, "Windows");
  ShowDescription(*state);
  const std::string bytes = ExportBytes(state->ReportText);
  const std::string blank35(35, ' ');
  EXPECT_EQ(bytes.substr(0, 4), "\r\n\r\n");  // lines 0 and 1 are empty
  // Line 3 is empty, line 4 is the brand.
  EXPECT_NE(bytes.find("\r\n\r\nBrand           :  Acme" + std::string(31, ' ') + "  " + blank35 + "\r\nModel"),
            std::string::npos);
  // The last line written is the OS line (line 18); nothing follows it.
  const std::string last = "OS              :  Linux" + std::string(30, ' ') + "  Windows" +
                           std::string(28, ' ') + "\r\n";
  ASSERT_GE(bytes.size(), last.size());
  EXPECT_EQ(bytes.substr(bytes.size() - last.size()), last);
  std::size_t lines = 0;
  for (std::size_t at = bytes.find("\r\n"); at != std::string::npos; at = bytes.find("\r\n", at + 2)) ++lines;
  EXPECT_EQ(lines, 19u);
}

TEST(TextExport, AnEmptyReportGivesAnEmptyFileAndAFileIsReplacedWhole) {
  const fs::path folder = fs::temp_directory_path() / ("quorvane-export-" + std::to_string(getpid()));
  fs::create_directories(folder);
  const fs::path path = folder / "report.txt";
  std::ofstream(path) << "an older export";
  const auto state = std::make_unique<BenchmarkState>();
  EXPECT_EQ(ExportReport(state->ReportText, path), FileOutcome::Done);
  EXPECT_TRUE(fs::exists(path));
  EXPECT_EQ(fs::file_size(path), 0u);
  EXPECT_EQ(ExportReport(state->ReportText, folder / "missing" / "report.txt"), FileOutcome::CannotCreate);
  EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
  fs::remove_all(folder);
}

}  // namespace
}  // namespace quorvane

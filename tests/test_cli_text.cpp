// quorvane-cli's text: UTF-8 arguments stored as Windows-1252 and refused when they cannot be,
// the report printed as UTF-8 with control bytes shown as '?', and files that are not result
// files refused.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/CliProgram.h"
#include "tests/cli_invoke.h"
#include "tests/temp_folder.h"

namespace quorvane {
namespace {

using test_support::CliRun;
using test_support::Invoke;

using test_support::TempFolder;

std::string Bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// The description lines of a result file (after the records line and the marker).
std::vector<std::string> DescriptionLines(const std::string& file) {
  std::vector<std::string> lines;
  std::size_t at = file.find("\r\nx\r\n");
  if (at == std::string::npos) return lines;
  std::istringstream rest(file.substr(at + 5));
  for (std::string line; std::getline(rest, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

TEST(CliText, ArgumentsAreStoredAsWindows1252AndPrintedAsUtf8) {
  const TempFolder folder;
  const std::string file = folder / "text.qv3";
  const std::string brand = "brand=" + std::string(62, 'a') + "ü€";  // 64 characters
  CliRun run = Invoke({"-q", "-t", "q", "-j", "1", "--no-realtime", "--set", "cpu=Zürich €", "--set",
                    brand.c_str(), "--save", file.c_str()});
  ASSERT_EQ(run.status, 0) << run.err;
  const std::vector<std::string> fields = DescriptionLines(Bytes(file));
  ASSERT_GE(fields.size(), 4u);
  EXPECT_EQ(fields[3], "Z\xFCrich \x80");  // one byte a character
  EXPECT_EQ(fields[0], std::string(62, 'a') + "\xFC");  // cut at 63 characters, after conversion

  run = Invoke({"--load", file.c_str(), "--description"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("CPU             :  Zürich €" + std::string(27, ' ') + "  "), std::string::npos)
      << run.out;
  run = Invoke({"--load", file.c_str(), "--json"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("\"cpu\": \"Zürich €\""), std::string::npos) << run.out;
}

TEST(CliText, ArgumentsThatCannotBeStoredAreRefusedWithStatusTwo) {
  const struct {
    const char* set;
    const char* field;
  } refused[] = {{"cpu=Ω-9000", "cpu"}, {"brand=Ac\nme", "brand"}, {"cpus=7\r\n8", "cpus"},
                 {"os=\xff", "os"}};
  for (const auto& bad : refused) {
    SCOPED_TRACE(bad.set);
    const CliRun run = Invoke({"-q", "-t", "q", "--set", bad.set});
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(run.out.empty());
    EXPECT_EQ(run.err.rfind("quorvane-cli: --set: The entry \"" + std::string(bad.field) + "\"", 0), 0u)
        << run.err;
  }
}

TEST(CliText, ControlBytesOfALoadedFileArePrintedAsQuestionMarks) {
  const TempFolder folder;
  const std::string file = folder / "escape.qv3";
  std::ofstream(file, std::ios::binary)
      << "q     12345G\r\nx\r\n\x1b]0;owned\x07\r\nM\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n"
         "\x1b[2J\r\n1\r\n1";
  CliRun run = Invoke({"--load", file.c_str(), "--description"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out.find('\x1b'), std::string::npos);
  EXPECT_NE(run.out.find("Brand           :  ?]0;owned?  "), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("OS              :  ?[2J  "), std::string::npos) << run.out;
  // The file keeps its bytes when saved again.
  const std::string again = folder / "again.qv3";
  run = Invoke({"--load", file.c_str(), "--save", again.c_str()});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Bytes(again), Bytes(file));
}

TEST(CliText, FilesThatAreNotResultFilesAreRefused) {
  const TempFolder folder;
  const std::string report = folder / "report.txt";
  const std::string empty = folder / "empty.qv3";
  CliRun run = Invoke({"-q", "-t", "q", "-j", "1", "--no-realtime", "--export", report.c_str()});
  ASSERT_EQ(run.status, 0) << run.err;
  std::ofstream(empty, std::ios::binary).flush();
  for (const std::string& file : {report, empty}) {
    for (const char* option : {"--load", "--compare"}) {
      SCOPED_TRACE(file + " " + option);
      run = Invoke({option, file.c_str(), "-t", "q", "-q"});
      EXPECT_EQ(run.status, 1);
      EXPECT_EQ(run.err, "This is not a Quorvane Mk III file!\n");
      EXPECT_TRUE(run.out.empty());
    }
  }
}

}  // namespace
}  // namespace quorvane

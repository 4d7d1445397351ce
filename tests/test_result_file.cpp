// Result files: byte-exact writing, reading of hand-written files (CR LF and LF, damaged ones),
// round trips through the disk, and saves that fail without harming an existing file.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "report/ResultFile.h"
#include "tests/temp_folder.h"

namespace quorvane {
namespace {

namespace fs = std::filesystem;
using test_support::TempFolder;

std::unique_ptr<BenchmarkState> FreshState() { return std::make_unique<BenchmarkState>(); }

// A run of seven tests and drive C, written by hand from the format: 14 records of 12
// characters, the marker, 14 description lines and 4 drive lines, the last without a line end.
const std::string kSevenTestsAndDriveC =
    "d     54789Gw      8597Cq     46169Ic   1082087In   2797619Ff    147912Gm   3239462C"
    "C     51200I      51000G      50000F      40960B      40000E      39000D         12D\r\n"
    "x\r\n"
    "Acme\r\nTower 3\r\nBoard X\r\nCPU 9000\r\n3 GHz\r\n100 MHz\r\n1 MB\r\nL2\r\n16 GB\r\nDDR5\r\n"
    "4800\r\nLinux\r\n2\r\n1\r\n"
    "C\r\nDisk 1\r\nSATA\r\nahci";

// The marker and fourteen description lines, A to L and 1 twice.
const std::string kDescription =
    "\r\nx\r\nA\r\nB\r\nC\r\nD\r\nE\r\nF\r\nG\r\nH\r\nI\r\nJ\r\nK\r\nL\r\n1\r\n1";

TEST(ResultFile, AHandWrittenRunLoadsCompletelyAndIsWrittenBackByteForByte) {
  auto state = FreshState();
  ASSERT_EQ(ReadResultBytes(*state, FileTarget::ThisMachine, kSevenTestsAndDriveC),
            FileOutcome::Done);
  // Written back whole: every row, field and drive line read lands where the writer finds it.
  EXPECT_EQ(ResultFileBytes(*state), kSevenTestsAndDriveC);
  EXPECT_EQ(FieldText(state->thisMachine.os), "Linux");  // and in its own field, not a shifted one
}

// A state with something in every table, so that a read that changes anything shows.
std::unique_ptr<BenchmarkState> FilledState() {
  auto state = FreshState();
  SetRow(state->thisResults[0], 'd', 77);
  SetRow(state->otherResults[0], 'w', 88);
  SetField(state->thisMachine.brand, "kept");
  SetField(state->thisMachine.os, "kept too");
  SetField(state->otherMachine.os, "kept too");
  SetField(state->thisDrives[2].driver, "old");
  SetField(state->otherDrives[0].letter, "C");
  return state;
}

// A result file as the writer makes it: the records, the marker, the fourteen fields (missing
// ones empty) and the drive lines.
std::string Written(const std::string& records, std::vector<std::string> fields,
                    const std::string& drives = "") {
  fields.resize(kMachineFieldCount);
  std::string bytes = records + "\r\nx";
  for (const std::string& field : fields) bytes += "\r\n" + field;
  return bytes + drives;
}

TEST(ResultFile, DamagedButGenuineFilesLoadWhatTheyHold) {
  const std::vector<std::string> fields = {"A", "B", "C", "D", "E", "F", "G",
                                           "H", "I", "J", "K", "L", "1", "1"};
  const struct {
    const char* what;
    std::string bytes, written;
  } files[] = {
      // A wrong check letter ends the records (the failing one is kept); the rest of the line is
      // passed over and the description read where it stands.
      {"a wrong check letter", "d      1234Bw       999Cq       999A" + kDescription,
       Written("d      1234Bw       999A", fields)},
      {"a record cut short by the line end", "d      1234Bw   12" + kDescription,
       Written("d      1234B", fields)},
      // The older writer took values of 2^31 or more as signed: a check letter before "A".
      {"a check letter from the older writer", "d2147483648?w      1234B" + kDescription,
       Written("d2147483648C", fields)},
      // Drive lines that start with a letter describe that drive; missing lines at the end are
      // empty, the drive's old driver too.
      {"a drive cut short", kDescription + "\r\nE: data\r\nDisk E",
       Written("", fields, "\r\nE: data\r\nDisk E\r\n\r\n")},
      // Once the first field is there every field is replaced; before it, the description stays.
      {"the first two fields", "\r\nx\r\n\r\nModel", Written("", {"", "Model"})},
      {"the marker at the end", "d      1234B\r\nx",
       Written("d      1234B", {"kept", "", "", "", "", "", "", "", "", "", "", "kept too"})},
      {"no records, bare LF line ends", "\nx\n",
       Written("", {"kept", "", "", "", "", "", "", "", "", "", "", "kept too"})},
      // Long lines are cut at 63 characters; a lone CR and other control bytes are kept.
      {"long lines and control bytes",
       "\r\nx\r\n" + std::string(100000, 'b') + "\r\nmo\rdel\x07\x1b\r",
       Written("", {std::string(63, 'b'), "mo\rdel\x07\x1b\r"})},
  };
  for (const auto& file : files) {
    SCOPED_TRACE(file.what);
    auto state = FilledState();  // every row is replaced
    EXPECT_EQ(ReadResultBytes(*state, FileTarget::ThisMachine, file.bytes), FileOutcome::Done);
    EXPECT_EQ(ResultFileBytes(*state), file.written);
  }
}

// Every table a read may touch, byte for byte.
std::string Tables(const BenchmarkState& s) {
  std::string bytes;
  auto add = [&bytes](const auto& table) {
    bytes.append(reinterpret_cast<const char*>(&table), sizeof table);
  };
  add(s.thisResults), add(s.otherResults), add(s.thisMachine), add(s.otherMachine);
  add(s.thisDrives), add(s.otherDrives);
  return bytes;
}

TEST(ResultFile, WhatCannotBeAResultFileIsRefusedAndChangesNothing) {
  using namespace std::string_literals;
  const std::string drives = "\r\nD\r\nDisk D\r\nIDE\r\natapi\r\n";
  const struct {
    const char* what;
    std::string bytes;
  } refused[] = {
      {"empty", ""},
      {"records and a line end only", "d      1234B\r\n"},
      {"another second line", "d      1234B\r\ny\r\nBrand"},
      {"a value that is not a number", "d   12a4   B\r\nx\r\nBrand"},
      {"the marker as a code", "x      1234B\r\nx\r\nBrand"},
      {"a PNG", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16)},
      {"a NUL in the description", "d      1234B\r\nx\r\nBr\0and"s},
      {"a drive line with '['", "d      1234B" + kDescription + drives + "[\r\nX1"},
      {"an empty drive line", "d      1234B" + kDescription + drives + "\r\nX1"},
      {"a non-ASCII drive line", "d      1234B" + kDescription + drives + "\xc3\r\nX1"},
  };
  for (const auto& file : refused) {
    SCOPED_TRACE(file.what);
    for (FileTarget target : {FileTarget::ThisMachine, FileTarget::OtherMachine}) {
      auto state = FilledState();
      const std::string before = Tables(*state);
      EXPECT_EQ(ReadResultBytes(*state, target, file.bytes), FileOutcome::NotResultFile);
      EXPECT_EQ(Tables(*state), before);
    }
  }
  // Nor does a file that cannot be opened, or a folder, change anything.
  for (const char* path : {"/nonexistent/a.qv3", "/"}) {
    auto state = FilledState();
    const std::string before = Tables(*state);
    EXPECT_EQ(ReadResultFile(*state, FileTarget::ThisMachine, path), FileOutcome::CannotOpen)
        << path;
    EXPECT_EQ(Tables(*state), before);
  }
}

// A state of 100 rows whose fields hold what trips a reader that looks for the description by
// content.
std::unique_ptr<BenchmarkState> AwkwardState() {
  auto state = FreshState();
  const char codes[] = "dwqcnfm";
  for (int row = 0; row < kResultRows; ++row) {
    SetRow(state->thisResults[static_cast<std::size_t>(row)],
           row < 7 ? codes[row] : (row % 7 == 0 ? 'D' : ' '),
           static_cast<std::uint32_t>(row) * 2654435761u);
  }
  // The brand and the CPU count stay empty, as most users leave them.
  SetField(state->thisMachine.model, "x-series");
  SetField(state->thisMachine.motherboard, "x");
  SetField(state->thisMachine.cpu, std::string(63, 'c'));
  SetField(state->thisMachine.threads, "12");
  for (int k = 0; k < kDriveRecords; ++k) {
    DriveDescription& drive = state->thisDrives[static_cast<std::size_t>(k)];
    SetField(drive.letter, std::string(1, static_cast<char>('C' + k)));
    SetField(drive.harddisk, k % 2 ? "" : "x disk");
    SetField(drive.controller, std::string(63, static_cast<char>('a' + k)));
  }
  return state;
}

TEST(ResultFile, SaveThenLoadOrCompareRestoresEverythingWhateverTheFieldsHold) {
  TempFolder folder;
  const fs::path path = folder / "machine.qv3";
  const auto written = AwkwardState();
  ASSERT_EQ(SaveResultFile(*written, path), FileOutcome::Done);
  EXPECT_EQ(folder.EntryCount(), 1u);  // no temporary file left beside it
  auto read = FilledState();
  ASSERT_EQ(ReadResultFile(*read, FileTarget::ThisMachine, path), FileOutcome::Done);
  EXPECT_EQ(ResultFileBytes(*read), ResultFileBytes(*written));
  // Compare fills the comparison tables alone.
  auto compared = FilledState();
  ASSERT_EQ(ReadResultFile(*compared, FileTarget::OtherMachine, path), FileOutcome::Done);
  auto other = FreshState();
  other->thisResults = compared->otherResults;
  other->thisMachine = compared->otherMachine;
  other->thisDrives = compared->otherDrives;
  EXPECT_EQ(ResultFileBytes(*other), ResultFileBytes(*written));
  std::swap(compared->otherResults, read->otherResults);
  std::swap(compared->otherMachine, read->otherMachine);
  std::swap(compared->otherDrives, read->otherDrives);
  EXPECT_EQ(Tables(*compared), Tables(*FilledState()));
}

TEST(ResultFile, ASaveThatFailsPartWayLeavesTheExistingFileAsItWas) {
  TempFolder folder;
  const fs::path path = folder / "kept.qv3";
  folder.File("kept.qv3", kSevenTestsAndDriveC);
  const auto big = AwkwardState();  // a file of several kilobytes
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{1024, 1024};  // writes beyond 1 KiB fail
    setrlimit(RLIMIT_FSIZE, &limit);
    _exit(SaveResultFile(*big, path) == FileOutcome::CannotCreate ? 0 : 1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(folder.EntryCount(), 1u);
  auto kept = FreshState();  // read back whole: the file was written back byte for byte above
  ASSERT_EQ(ReadResultFile(*kept, FileTarget::ThisMachine, path), FileOutcome::Done);
  EXPECT_EQ(ResultFileBytes(*kept), kSevenTestsAndDriveC);
}

// Reads `path` in a child process that the alarm ends after `seconds` (a reader that blocks
// fails the test instead of hanging it): 0 for CannotOpen with `reason`, 1 for another outcome.
int ReadInChild(const fs::path& path, const std::string& reason, unsigned seconds) {
  const pid_t child = fork();
  if (child == 0) {
    alarm(seconds);
    auto state = FreshState();
    const ExplainedOutcome read = ReadResultFileWithReason(*state, FileTarget::ThisMachine, path);
    _exit(read.outcome == FileOutcome::CannotOpen && read.reason == reason ? 0 : 1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
}

TEST(ResultFile, OnlyRegularFilesUpToOneMebibyteAreReadAndAFailureSaysWhy) {
  TempFolder folder;
  // A named pipe nobody writes and an endless device are refused at once, without waiting or
  // reading (SIGALRM, -14, when the reader blocks).
  const fs::path pipe = folder / "pipe.qv3";
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  EXPECT_EQ(ReadInChild(pipe, "not a regular file", 10), 0);
  EXPECT_EQ(ReadInChild("/dev/zero", "not a regular file", 10), 0);
  // Reasons from the system.
  const std::pair<fs::path, std::string> unreadable[] = {
      {folder / "absent.qv3", "No such file or directory"}, {folder.path(), "Is a directory"}};
  for (const auto& [path, reason] : unreadable) {
    auto state = FilledState();
    const std::string before = Tables(*state);
    const ExplainedOutcome read = ReadResultFileWithReason(*state, FileTarget::OtherMachine, path);
    EXPECT_EQ(read.outcome, FileOutcome::CannotOpen);
    EXPECT_EQ(read.reason, reason);
    EXPECT_EQ(Tables(*state), before);
  }
  // A genuine file padded to the limit by a long brand line (read past after 63 characters)
  // is read; one byte more is not a result file, and changes nothing.
  const std::string head = "d     54789G\r\nx\r\nAcme";
  const std::string tail = "\r\nB\r\nC\r\nD\r\nE\r\nF\r\nG\r\nH\r\nI\r\nJ\r\nK\r\nL\r\n1\r\n1";
  std::string padded = head + std::string(kResultFileLimit - head.size() - tail.size(), 'a') + tail;
  ASSERT_EQ(padded.size(), std::size_t{1} << 20);
  folder.File("limit.qv3", padded);
  auto state = FilledState();
  EXPECT_EQ(ReadResultFile(*state, FileTarget::ThisMachine, folder / "limit.qv3"),
            FileOutcome::Done);
  EXPECT_EQ(FieldText(state->thisMachine.brand), "Acme" + std::string(59, 'a'));
  padded.insert(head.size(), "a");
  folder.File("over.qv3", padded);
  state = FilledState();
  const std::string before = Tables(*state);
  const ExplainedOutcome read =
      ReadResultFileWithReason(*state, FileTarget::ThisMachine, folder / "over.qv3");
  EXPECT_EQ(read.outcome, FileOutcome::NotResultFile);
  EXPECT_EQ(read.reason, "larger than 1 MiB");
  EXPECT_EQ(Tables(*state), before);
}

}  // namespace
}  // namespace quorvane

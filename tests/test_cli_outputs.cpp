// quorvane-cli's outputs: "-" for stdout, the checks made before a run, a failed save or export
// that still prints the report, a failed stdout, and the files removed when it is stopped.
#include <gtest/gtest.h>

#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "cli/CliProgram.h"
#include "tests/cli_invoke.h"
#include "report/Report.h"
#include "report/ResultFile.h"
#include "report/TextExport.h"
#include "tests/temp_folder.h"

namespace quorvane {
namespace {

using test_support::TempFolder;

namespace fs = std::filesystem;

using test_support::CliRun;
using test_support::Invoke;

// The built program under `sh -c`, after the shell commands `before`; its exit status and what
// it wrote to stdout of the shell.
CliRun Shell(const std::string& before, const std::string& arguments) {
  FILE* pipe = popen((before + QUORVANE_CLI_PATH + " " + arguments).c_str(), "r");
  CliRun run;
  for (int c; (c = fgetc(pipe)) != EOF;) run.err += static_cast<char>(c);
  const int status = pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

std::string Bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// A result file of one queens run, and the state it loads into.
struct Saved {
  TempFolder folder;
  const std::string file = folder / "mine.qv3";
  std::unique_ptr<BenchmarkState> state = std::make_unique<BenchmarkState>();
  Saved() {
    const CliRun run = Invoke({"-q", "-t", "q", "-j", "1", "--no-realtime", "--save", file.c_str()});
    EXPECT_EQ(run.status, 0) << run.err;
    ReadResultFile(*state, FileTarget::ThisMachine, file);
    BuildReport(*state);
  }
};

TEST(CliOutputs, DashIsStdoutAndAnOutputNamingAnotherFileOfTheRunIsBadUsage) {
  const Saved saved;
  // "-": the file's bytes take the place of the report.
  CliRun run = Invoke({"--load", saved.file.c_str(), "--export", "-"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, ExportBytes(saved.state->ReportText));
  run = Invoke({"--load", saved.file.c_str(), "--save", "-"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, Bytes(saved.file));

  const std::string alias = saved.folder / "alias.qv3";
  fs::create_symlink(saved.file, alias);
  const std::string fresh = saved.folder / "fresh.txt";
  const std::string freshAgain = (saved.folder.path() / "sub" / ".." / "fresh.txt").string();
  fs::create_directory(saved.folder.path() / "sub");
  const std::vector<std::vector<const char*>> conflicts = {
      {"--load", saved.file.c_str(), "--save", saved.file.c_str()},
      {"--load", saved.file.c_str(), "--export", alias.c_str()},  // the same inode
      {"--compare", alias.c_str(), "--save", saved.file.c_str()},
      {"-t", "q", "--save", fresh.c_str(), "--export", freshAgain.c_str()},  // not there yet
      {"--load", saved.file.c_str(), "--save", "-", "--export", "-"},
      {"--load", saved.file.c_str(), "--export", "-", "--json"}};
  const std::string before = Bytes(saved.file);
  for (const auto& words : conflicts) {
    run = Invoke(words);
    EXPECT_EQ(run.status, 2) << words[1];
    EXPECT_TRUE(run.out.empty());
    EXPECT_TRUE(run.err.starts_with("quorvane-cli: --")) << run.err;
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
  }
  EXPECT_EQ(Bytes(saved.file), before);
  EXPECT_EQ(saved.folder.EntryCount(), 3u);  // mine, alias, sub
}

TEST(CliOutputs, TargetsAreCheckedBeforeTheRunAndALateFailureKeepsTheReport) {
  TempFolder folder;
  const std::string missing = folder / "no/such/x.qv3";
  // Refused before the run: no progress, no report, nothing made.
  CliRun run = Invoke({"-t", "q", "-j", "1", "--no-realtime", "--save", missing.c_str()});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "Cannot save file! (" + missing + ": No such file or directory)\n");
  EXPECT_TRUE(run.out.empty());
  run = Invoke({"-q", "-t", "q", "--export", folder.path().c_str()});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "Cannot save file! (" + folder.path().string() + ": Is a directory)\n");
  EXPECT_EQ(folder.EntryCount(), 0u);

  // A named pipe passes the check but has no reader when the export comes: the message names
  // it and the reason, and the report of the run is printed all the same.
  const std::string pipe = folder / "pipe";
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  run = Invoke({"-q", "-t", "q", "-j", "1", "--no-realtime", "--export", pipe.c_str()});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "Cannot save file! (" + pipe + ": No such device or address)\n");
  EXPECT_NE(run.out.find("Eight queens problem"), std::string::npos) << run.out;
}

TEST(CliOutputs, AStdoutThatCannotBeWrittenExitsOne) {
  const Saved saved;
  const std::string load = "--load '" + saved.file + "' 2>&1";
  const std::string limited = saved.folder / "limited.txt";
  for (const std::string& redirect :
       {std::string(" >/dev/full"), std::string(" >&-"), "  >'" + limited + "'"}) {
    SCOPED_TRACE(redirect);
    // The file size limit applies to the last case only; 0 blocks: any write fails (EFBIG).
    const std::string limit = redirect.find("limited") != std::string::npos ? "ulimit -f 0; " : "";
    const CliRun run = Shell(limit, load + redirect);
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.starts_with("quorvane-cli: cannot write standard output: ")) << run.err;
  }
  EXPECT_EQ(Shell("", load + " >/dev/null").status, 0);
}

TEST(CliOutputs, SigtermDuringTheDiskTestRemovesItsFileAndExits143) {
  // In a fresh folder on the root filesystem (drive C): the test file is made there.
  TempFolder folder;
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (chdir(folder.path().c_str()) != 0) _exit(90);
    execl(QUORVANE_CLI_PATH, QUORVANE_CLI_PATH, "-q", "--no-realtime", "-d", "C", static_cast<char*>(nullptr));
    _exit(91);
  }
  const fs::path file = folder.path() / "DISKTEST.DAT";
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (!fs::exists(file) && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  const bool seen = fs::exists(file);
  kill(child, SIGTERM);
  int status = 0;
  waitpid(child, &status, 0);
  if (!seen) GTEST_SKIP() << "the disk test made no file here (drive C not writable?)";
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 143);
  EXPECT_EQ(folder.EntryCount(), 0u);
}

}  // namespace
}  // namespace quorvane

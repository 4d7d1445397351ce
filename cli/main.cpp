// quorvane-cli: the benchmark without a window.
#include <csignal>
#include <iostream>

#include "cli/CliProgram.h"
#include "platform/SignalCleanup.h"

int main(int argc, char* argv[]) {
#if defined(SIGXFSZ)  // systems with file size limits (not Windows)
  // A file size limit shows as a failed write (EFBIG) with its message, not as a killed process.
  std::signal(SIGXFSZ, SIG_IGN);
#endif
  // Ctrl-C, Ctrl-\, SIGTERM or a closed terminal during a disk test or a save leaves neither file
  // behind.
  quorvane::RemoveRegisteredFilesOnSignal();
  return quorvane::RunCli(argc, argv, std::cout, std::cerr);
}

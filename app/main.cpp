// quorvane: the desktop program. Takes no arguments; only a lone --help or --version is answered
// (on stdout, without opening a window) so that the manual page can be written from the program.
#include <QApplication>
#include <cstdio>
#include <cstring>

#include "app/CBenchApp.h"
#include "generated/Version.h"
#include "platform/SignalCleanup.h"

namespace {

constexpr const char* kHelp =
    "Usage: quorvane\n"
    "Quorvane measures this computer's processors, memory and disks and compares them with\n"
    "another machine's results. Everything is chosen from the menus of its one window: the tests,\n"
    "the number of worker threads, the machine description, loading, saving and exporting results.\n"
    "The program takes no arguments; only these two are answered without opening the window:\n"
    "\n"
    "  --help     print this help and exit\n"
    "  --version  print the version and exit\n"
    "\n"
    "The menu Info > Help opens the help page in help/ beside the program file.\n"
    "quorvane-cli runs the same tests without a window.\n";

// The answer to a lone --help or --version, or nullptr when the window is to be opened.
const char* InformationAsked(int argc, char* argv[]) {
  if (argc != 2) return nullptr;
  if (std::strcmp(argv[1], "--help") == 0) return kHelp;
  if (std::strcmp(argv[1], "--version") == 0) return "quorvane " QUORVANE_VERSION "\n";
  return nullptr;
}

}  // namespace

int main(int argc, char* argv[]) {
  if (const char* information = InformationAsked(argc, argv)) {
    return std::fputs(information, stdout) >= 0 && std::fflush(stdout) == 0 ? 0 : 1;
  }
  // Ctrl-C, kill, a log-out or a closed terminal during a disk test or a save leave neither
  // file behind: the handler removes them at once, whatever the threads are doing.
  quorvane::RemoveRegisteredFilesOnSignal();
  QApplication application(argc, argv);
  Q_INIT_RESOURCE(quorvane);  // the icon lives in a static library
  QApplication::setApplicationName(QStringLiteral("Quorvane"));
  QGuiApplication::setDesktopFileName(QStringLiteral("quorvane"));
  quorvane::CBenchApp benchApp;
  if (!benchApp.InitInstance()) return 1;
  return QApplication::exec();
}

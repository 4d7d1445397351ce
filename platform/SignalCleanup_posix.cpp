#include "platform/SignalCleanup.h"

#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include "platform/SignalCleanupSystem_internal.h"

namespace quorvane {

namespace {

// The signals that end the program with its registered files removed: Ctrl-C, kill, a closed
// terminal or a log-out, Ctrl-\.
constexpr int kHandledSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

sigset_t HandledSignals() {
  sigset_t set;
  sigemptyset(&set);
  for (const int signal : kHandledSignals) sigaddset(&set, signal);
  return set;
}

// The handled signals held in the calling thread for the life of the guard.
class SignalsHeld {
 public:
  SignalsHeld() {
    const sigset_t held = HandledSignals();
    pthread_sigmask(SIG_BLOCK, &held, &previous_);
  }
  ~SignalsHeld() { pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }
  SignalsHeld(const SignalsHeld&) = delete;
  SignalsHeld& operator=(const SignalsHeld&) = delete;

 private:
  sigset_t previous_;
};

extern "C" void RemoveAndExit(int signal) {
  signal_cleanup::RemovePublishedFiles();
  _exit(128 + signal);
}

}  // namespace

namespace signal_cleanup {

void RunWithSignalsHeld(const std::function<void()>& change) {
  SignalsHeld held;
  change();
}

void RemoveFile(const char* path) { unlink(path); }

// The changing thread runs on another processor or after the handler's time slice: spin.
void WaitForChangingSlot() {}

}  // namespace signal_cleanup

void RemoveRegisteredFilesOnSignal() {
  struct sigaction action {};
  action.sa_handler = RemoveAndExit;
  action.sa_mask = HandledSignals();  // one handler at a time, whichever signal came first
  for (const int signal : kHandledSignals) sigaction(signal, &action, nullptr);
}

}  // namespace quorvane

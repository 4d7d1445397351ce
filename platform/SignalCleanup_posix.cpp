#include "platform/SignalCleanup.h"

#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include "platform/SignalCleanupSystem.h"

namespace quorvane {

namespace {

// SIGINT and SIGTERM held in the calling thread for the life of the guard.
class SignalsHeld {
 public:
  SignalsHeld() {
    sigset_t held;
    sigemptyset(&held);
    sigaddset(&held, SIGINT);
    sigaddset(&held, SIGTERM);
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
  sigemptyset(&action.sa_mask);
  sigaddset(&action.sa_mask, SIGINT);
  sigaddset(&action.sa_mask, SIGTERM);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

}  // namespace quorvane

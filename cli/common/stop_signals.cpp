#include "cli/common/stop_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>

namespace boxwander::cli {
namespace {

// Fixed room, so that the handler reads it without locks or allocation.
struct Slot {
  volatile std::sig_atomic_t used = 0;
  char path[4096] = {};
};
Slot gSlots[16];

volatile std::sig_atomic_t gAnnounce = 0;
volatile std::sig_atomic_t gLineOpen = 0;
volatile std::sig_atomic_t gSignal = 0;
int gWakeWrite = -1;
// stderr as it was when the handler was installed: image libraries' complaints are held
// back by pointing descriptor 2 elsewhere for a while, the notice never is.
int gStderr = STDERR_FILENO;

void Write(const char* text) noexcept {
  const ssize_t ignored = ::write(gStderr, text, std::strlen(text));
  static_cast<void>(ignored);
}

extern "C" void ExitHandler(int signal) {
  for (Slot& slot : gSlots) {
    if (slot.used)
      ::unlink(slot.path);
  }
  if (gAnnounce) {
    if (gLineOpen)
      Write("\n");
    Write(signal == SIGINT ? "boxwander: stopped by SIGINT\n" : "boxwander: stopped by SIGTERM\n");
  }
  ::_exit(128 + signal);
}

extern "C" void WatchHandler(int signal) {
  const int saved = errno;
  gSignal = signal;
  if (gWakeWrite >= 0) {
    const ssize_t ignored = ::write(gWakeWrite, "s", 1);
    static_cast<void>(ignored);
  }
  errno = saved;
}

void Install(void (*handler)(int)) {
  struct sigaction action {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  // Either handler runs alone: the other signal waits until it is done.
  sigaddset(&action.sa_mask, SIGINT);
  sigaddset(&action.sa_mask, SIGTERM);
  ::sigaction(SIGINT, &action, nullptr);
  ::sigaction(SIGTERM, &action, nullptr);
}

}  // namespace

PendingFile::PendingFile(const std::string& path) noexcept {
  if (path.size() >= sizeof gSlots[0].path)
    return;
  for (int i = 0; i < static_cast<int>(std::size(gSlots)); ++i) {
    if (!gSlots[i].used) {
      std::memcpy(gSlots[i].path, path.c_str(), path.size() + 1);
      std::atomic_signal_fence(std::memory_order_seq_cst);
      gSlots[i].used = 1;
      slot_ = i;
      return;
    }
  }
}

PendingFile::~PendingFile() {
  if (slot_ >= 0)
    gSlots[slot_].used = 0;
}

void ExitOnStopSignals(bool announce) {
  gAnnounce = announce ? 1 : 0;
  if (gStderr == STDERR_FILENO) {
    const int copy = ::fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 3);
    if (copy >= 0)
      gStderr = copy;
  }
  Install(ExitHandler);
}

int WatchStopSignals() {
  static int wake[2] = {-1, -1};
  if (wake[0] < 0 && ::pipe2(wake, O_CLOEXEC | O_NONBLOCK) != 0) {
    wake[0] = wake[1] = -1;
  }
  gWakeWrite = wake[1];
  Install(WatchHandler);
  return wake[0];
}

int StopSignal() noexcept {
  return gSignal;
}

std::string SignalName(int signal) {
  if (signal == SIGINT)
    return "SIGINT";
  if (signal == SIGTERM)
    return "SIGTERM";
  return "signal " + std::to_string(signal);
}

void SetStderrLineOpen(bool open) noexcept {
  gLineOpen = open ? 1 : 0;
}

}  // namespace boxwander::cli

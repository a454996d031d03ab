#pragma once

#include <string>

namespace boxwander::cli {

// SIGINT and SIGTERM, as the tool answers them: no temporary file left behind, no output
// half-written (outputs are renamed into place only when complete), exit status 128 plus
// the signal's number (130, 143).

// A temporary file while it is being written: the stop handler removes it. Paths longer
// than the handler's fixed room are not known to it.
class PendingFile {
 public:
  explicit PendingFile(const std::string& path) noexcept;
  ~PendingFile();
  PendingFile(const PendingFile&) = delete;
  PendingFile& operator=(const PendingFile&) = delete;

 private:
  int slot_ = -1;
};

// From now on a stop signal ends the process at once: pending files removed, and (when
// `announce`) "boxwander: stopped by SIGINT" on stderr.
void ExitOnStopSignals(bool announce);

// From now on a stop signal is only recorded: the descriptor returned becomes readable,
// and StopSignal() says which signal came.
int WatchStopSignals();
int StopSignal() noexcept;

// "SIGINT", "SIGTERM" or "signal N".
std::string SignalName(int signal);

// Whether stderr's current line holds a progress bar, so that the stop notice starts a
// line of its own.
void SetStderrLineOpen(bool open) noexcept;

}  // namespace boxwander::cli

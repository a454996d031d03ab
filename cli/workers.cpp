#include "cli/workers.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <optional>
#include <set>
#include <string_view>

#include "cli/common/cli_error.h"
#include "cli/common/number_text.h"
#include "cli/common/stop_signals.h"

extern char** environ;

namespace boxwander::cli {
namespace {

// One worker and what the parent has read of it so far.
struct Worker {
  pid_t pid = -1;
  int reports = -1;        // read end of the worker's standard output
  int errors = -1;         // read end of its standard error
  std::string reportText;  // an unfinished line of each
  std::string errorText;
  double share = 0.0;  // of the frame under way
  bool reaped = false;
};

void Close(int& fd) {
  if (fd >= 0) {
    ::close(fd);
    fd = -1;
  }
}

void Start(Worker& worker, const std::vector<std::string>& arguments) {
  int out[2] = {-1, -1};
  int err[2] = {-1, -1};
  if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0) {
    const int error = errno;
    for (int fd : {out[0], out[1], err[0], err[1]})
      Close(fd);
    throw CliError(std::string("cannot start a worker: ") + std::strerror(error));
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  // Onto the standard descriptors, which (unlike the pipes' own) survive the exec.
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
  std::vector<char*> argv;
  for (const std::string& a : arguments)
    argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  const int error =
      posix_spawn(&worker.pid, "/proc/self/exe", &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  Close(out[1]);
  Close(err[1]);
  if (error != 0) {
    Close(out[0]);
    Close(err[0]);
    worker.pid = -1;
    throw CliError(std::string("cannot start a worker: ") + std::strerror(error));
  }
  worker.reports = out[0];
  worker.errors = err[0];
}

// The worker's exit status as the shell tells it (128 + N for signal N).
int Wait(pid_t pid) {
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR)
      return -1;
  }
  return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : WEXITSTATUS(status);
}

// Reads what is there; false at the end of the stream (or on an error other than EINTR).
bool ReadSome(int fd, std::string& text) {
  char buffer[4096];
  const ssize_t n = ::read(fd, buffer, sizeof buffer);
  if (n > 0) {
    text.append(buffer, static_cast<std::size_t>(n));
    return true;
  }
  return n < 0 && errno == EINTR;
}

// Takes the complete lines off the front of text.
template <class F>
void EachLine(std::string& text, F&& f) {
  std::size_t start = 0;
  for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
    f(std::string_view(text).substr(start, end - start));
  }
  text.erase(0, start);
}

}  // namespace

void WorkerReporter::progress(std::int32_t count, std::int32_t total) {
  const int permille =
      total > 0
          ? static_cast<int>(std::clamp<std::int64_t>(std::int64_t{count} * 1000 / total, 0, 1000))
          : 0;
  if (permille != permille_) {
    permille_ = permille;
    std::printf("p %d\n", permille);
    std::fflush(stdout);
  }
}

void WorkerReporter::frameDone(std::int32_t frame, double seconds) {
  permille_ = -1;
  std::printf("f %d %lld\n", frame, static_cast<long long>(std::llround(seconds * 1000.0)));
  std::fflush(stdout);
}

void WorkerReporter::frameFailed(std::int32_t frame, double seconds) {
  permille_ = -1;
  std::printf("x %d %lld\n", frame, static_cast<long long>(std::llround(seconds * 1000.0)));
  std::fflush(stdout);
}

WorkersOutcome RunWorkers(const std::vector<std::vector<std::string>>& argumentLists,
                          std::int64_t total, ProgressBar& bar, bool keepGoing) {
  const int wake = WatchStopSignals();
  std::vector<Worker> workers(argumentLists.size());
  WorkersOutcome outcome;
  bool stopping = false;
  const auto stopAll = [&] {
    if (stopping)
      return;
    stopping = true;
    for (const Worker& w : workers) {
      if (w.pid > 0 && !w.reaped)
        ::kill(w.pid, SIGTERM);
    }
  };
  const auto reap = [&](Worker& w) {
    Close(w.reports);
    Close(w.errors);
    const int status = Wait(w.pid);
    w.reaped = true;
    // A stop signal for the whole process group (Ctrl-C) may reach a worker first.
    if (StopSignal() != 0 && outcome.stopSignal == 0) {
      outcome.stopSignal = StopSignal();
      stopAll();
    }
    if (status != 0) {
      outcome.ok = false;
      // Workers this process stopped say nothing; one that died of a signal of its own is
      // told about.
      if (status > 128 && !stopping)
        bar.message("boxwander: a worker process was ended by " + SignalName(status - 128));
      if (!keepGoing)
        stopAll();
    }
  };
  std::size_t started = 0;
  try {
    for (; started < workers.size(); ++started)
      Start(workers[started], argumentLists[started]);
  } catch (...) {
    workers.resize(started);
    stopAll();
    for (Worker& w : workers)
      reap(w);
    throw;
  }

  std::int64_t finished = 0;  // frames written or failed
  std::set<std::string, std::less<>> warnings;
  const auto redraw = [&] {
    double shares = 0.0;
    for (const Worker& w : workers)
      shares += w.share;
    bar.update(std::min(finished, total), shares);
  };
  const auto report = [&](Worker& w, std::string_view line) {
    if (line.size() < 3 || line[1] != ' ')
      return;
    const std::string_view rest = line.substr(2);
    if (line[0] == 'p') {
      if (const auto value = ReadInt32(rest))
        w.share = std::clamp(*value, 0, 1000) / 1000.0;
      return;
    }
    const std::size_t space = rest.find(' ');
    const auto frame = ReadInt32(rest.substr(0, space));
    const auto ms = space == std::string_view::npos ? std::optional<std::int32_t>(0)
                                                    : ReadInt32(rest.substr(space + 1));
    if ((line[0] == 'f' || line[0] == 'x') && frame && ms) {
      ++finished;
      w.share = 0.0;
      if (line[0] == 'x')
        outcome.failedFrames.push_back(*frame);
      bar.frameDone(*frame, *ms / 1000.0, finished, line[0] == 'x');
    }
  };
  const auto error = [&](std::string_view line) {
    // Every worker meets the same mask and files: one warning for all.
    if (line.substr(0, 19) == "boxwander: warning:" && !warnings.emplace(line).second)
      return;
    bar.message(std::string(line));
  };
  redraw();
  while (true) {
    std::vector<pollfd> open;
    std::vector<std::pair<Worker*, bool>> owners;  // the worker, and whether its errors
    for (Worker& w : workers) {
      if (w.reports >= 0) {
        open.push_back({w.reports, POLLIN, 0});
        owners.emplace_back(&w, false);
      }
      if (w.errors >= 0) {
        open.push_back({w.errors, POLLIN, 0});
        owners.emplace_back(&w, true);
      }
    }
    if (open.empty())
      break;
    if (wake >= 0) {
      open.push_back({wake, POLLIN, 0});
      owners.emplace_back(nullptr, false);
    }
    if (::poll(open.data(), open.size(), -1) < 0) {
      if (errno == EINTR)
        continue;
      break;
    }
    for (std::size_t i = 0; i < open.size(); ++i) {
      if (open[i].revents == 0)
        continue;
      if (owners[i].first == nullptr) {
        char drained[64];
        while (::read(wake, drained, sizeof drained) > 0) {
        }
        if (StopSignal() != 0 && outcome.stopSignal == 0) {
          outcome.stopSignal = StopSignal();
          stopAll();
        }
        continue;
      }
      Worker& w = *owners[i].first;
      const bool errors = owners[i].second;
      std::string& text = errors ? w.errorText : w.reportText;
      const bool more = ReadSome(open[i].fd, text);
      if (!more && !text.empty())
        text += '\n';  // a last line without its end
      if (errors) {
        EachLine(text, error);
      } else {
        // Line by line: reports read in one go still each show on the bar.
        EachLine(text, [&](std::string_view line) {
          report(w, line);
          redraw();
        });
      }
      if (!more)
        Close(errors ? w.errors : w.reports);
      if (w.reports < 0 && w.errors < 0 && !w.reaped)
        reap(w);
    }
  }
  for (Worker& w : workers) {
    if (!w.reaped)
      reap(w);
  }
  // A run that was stopped leaves no finished bar: the destructor clears it for the
  // message that follows.
  if (!stopping)
    bar.finish();
  return outcome;
}

}  // namespace boxwander::cli

#include "cli/workers.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "cli/common/cli_error.h"
#include "cli/common/number_text.h"

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

bool Wait(pid_t pid, ProgressBar& bar) {
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR)
      return false;
  }
  if (WIFSIGNALED(status)) {
    bar.message("boxwander: a worker process was ended by signal " +
                std::to_string(WTERMSIG(status)));
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
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

void WorkerReporter::frameDone(std::int32_t frame) {
  permille_ = -1;
  std::printf("f %d\n", frame);
  std::fflush(stdout);
}

bool RunWorkers(const std::vector<std::vector<std::string>>& argumentLists, std::int64_t total,
                ProgressBar& bar) {
  std::vector<Worker> workers(argumentLists.size());
  std::size_t started = 0;
  try {
    for (; started < workers.size(); ++started)
      Start(workers[started], argumentLists[started]);
  } catch (...) {
    // The ones started finish their frames; nothing is left half-written.
    for (std::size_t i = 0; i < started; ++i) {
      Close(workers[i].reports);
      Close(workers[i].errors);
      Wait(workers[i].pid, bar);
    }
    throw;
  }

  std::int64_t done = 0;
  const auto redraw = [&] {
    double shares = 0.0;
    for (const Worker& w : workers)
      shares += w.share;
    bar.update(std::min(done, total), shares);
  };
  const auto report = [&](Worker& w, std::string_view line) {
    if (line.size() > 2 && line[1] == ' ') {
      const auto value = ReadInt32(line.substr(2));
      if (value && line[0] == 'p') {
        w.share = std::clamp(*value, 0, 1000) / 1000.0;
      } else if (value && line[0] == 'f') {
        ++done;
        w.share = 0.0;
      }
    }
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
    if (::poll(open.data(), open.size(), -1) < 0) {
      if (errno == EINTR)
        continue;
      break;
    }
    for (std::size_t i = 0; i < open.size(); ++i) {
      if (open[i].revents == 0)
        continue;
      Worker& w = *owners[i].first;
      const bool errors = owners[i].second;
      std::string& text = errors ? w.errorText : w.reportText;
      const bool more = ReadSome(open[i].fd, text);
      if (!more && !text.empty())
        text += '\n';  // a last line without its end
      if (errors) {
        EachLine(text, [&](std::string_view line) { bar.message(std::string(line)); });
      } else {
        // Line by line: reports read in one go still each show on the bar.
        EachLine(text, [&](std::string_view line) {
          report(w, line);
          redraw();
        });
      }
      if (!more)
        Close(errors ? w.errors : w.reports);
    }
  }
  bool ok = true;
  bar.finish();
  for (Worker& w : workers)
    ok = Wait(w.pid, bar) && ok;
  return ok;
}

}  // namespace boxwander::cli

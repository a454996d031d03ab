#include "cli/workers.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "cli/cli_error.h"

extern char** environ;

namespace boxwander::cli {
namespace {

struct Worker {
  pid_t pid = -1;
  int output = -1;  // read end of the worker's standard output
};

Worker Start(const std::vector<std::string>& arguments) {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) {
    throw CliError(std::string("cannot start a worker: ") + std::strerror(errno));
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  // Onto standard output, which (unlike the pipe's own descriptors) survives the exec.
  posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
  std::vector<char*> argv;
  for (const std::string& a : arguments)
    argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  Worker worker;
  const int error =
      posix_spawn(&worker.pid, "/proc/self/exe", &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(fds[1]);
  if (error != 0) {
    ::close(fds[0]);
    throw CliError(std::string("cannot start a worker: ") + std::strerror(error));
  }
  worker.output = fds[0];
  return worker;
}

bool Wait(pid_t pid) {
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR)
      return false;
  }
  if (WIFSIGNALED(status)) {
    std::fprintf(stderr, "boxwander: a worker process was ended by signal %d\n", WTERMSIG(status));
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

bool RunWorkers(const std::vector<std::vector<std::string>>& argumentLists, std::int64_t total,
                ProgressBar& bar) {
  std::vector<Worker> workers;
  try {
    for (const auto& arguments : argumentLists)
      workers.push_back(Start(arguments));
  } catch (...) {
    for (const Worker& w : workers) {
      ::close(w.output);
      Wait(w.pid);  // the ones started finish their frames; nothing is left half-written
    }
    throw;
  }
  std::int64_t done = 0;
  bar.update(0);
  std::vector<pollfd> open;
  for (const Worker& w : workers)
    open.push_back({w.output, POLLIN, 0});
  while (!open.empty()) {
    if (::poll(open.data(), open.size(), -1) < 0) {
      if (errno == EINTR)
        continue;
      break;
    }
    for (std::size_t i = 0; i < open.size();) {
      if (open[i].revents == 0) {
        ++i;
        continue;
      }
      char buffer[256];
      const ssize_t n = ::read(open[i].fd, buffer, sizeof buffer);
      if (n > 0) {
        for (ssize_t k = 0; k < n; ++k)
          done += buffer[k] == '\n' ? 1 : 0;
        bar.update(done < total ? done : total);
        ++i;
      } else if (n < 0 && errno == EINTR) {
        ++i;
      } else {
        ::close(open[i].fd);
        open.erase(open.begin() + static_cast<std::ptrdiff_t>(i));
      }
    }
  }
  bool ok = true;
  bar.finish();
  for (const Worker& w : workers)
    ok = Wait(w.pid) && ok;
  return ok;
}

}  // namespace boxwander::cli

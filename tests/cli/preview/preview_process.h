#pragma once

// The preview server run as a process, as a user starts it, for tests that talk to it
// over real HTTP on loopback.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/common/spawn.h"

extern char** environ;

namespace boxwander::test {

// Runs `tool args...` and waits at most `timeout` for its exit; -1 when it did not exit
// (it is then killed), else the exit status. stderr goes to errFile.
inline int RunTool(std::vector<std::string> args, const std::string& errFile,
                   const std::string& workDir = "") {
  return Run(std::move(args), {.outFile = "/dev/null", .errFile = errFile, .workDir = workDir});
}

inline std::string ReadFile(const std::string& path) {
  std::stringstream text;
  text << std::ifstream(path, std::ios::binary).rdbuf();
  return text.str();
}

// `boxwander preview ...` with its stdout on a pipe: the port comes from the line it
// prints when it listens.
class PreviewProcess {
 public:
  PreviewProcess(const std::string& tool, std::vector<std::string> args,
                 const std::string& errFile) {
    args.insert(args.begin(), {tool, "preview"});
    std::vector<char*> argv;
    for (auto& a : args)
      argv.push_back(a.data());
    argv.push_back(nullptr);
    int out[2];
    if (pipe(out) != 0)
      return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addopen(&actions, 2, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0)
      pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    stdout_ = out[0];
    readPort();
  }
  ~PreviewProcess() {
    stop();
    if (stdout_ >= 0)
      close(stdout_);
  }
  PreviewProcess(const PreviewProcess&) = delete;
  PreviewProcess& operator=(const PreviewProcess&) = delete;

  int port() const { return port_; }
  const std::string& output() const { return text_; }

  // SIGINT, as Ctrl-C; the exit status, or -1 when it had to be killed after 10 s.
  int stop() {
    if (pid_ <= 0)
      return status_;
    kill(pid_, SIGINT);
    for (int k = 0; k < 1000; ++k) {
      int raw = 0;
      if (waitpid(pid_, &raw, WNOHANG) == pid_) {
        status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        pid_ = -1;
        return status_;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
    return status_ = -1;
  }

 private:
  void readPort() {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    const std::string marker = "http://127.0.0.1:";
    while (std::chrono::steady_clock::now() < deadline) {
      pollfd p{stdout_, POLLIN, 0};
      if (poll(&p, 1, 100) <= 0)
        continue;
      char buffer[256];
      const ssize_t n = read(stdout_, buffer, sizeof buffer);
      if (n <= 0)
        return;  // exited before listening
      text_.append(buffer, static_cast<std::size_t>(n));
      const auto at = text_.find(marker);
      if (at != std::string::npos && text_.find('/', at + marker.size()) != std::string::npos) {
        port_ = std::atoi(text_.c_str() + at + marker.size());
        return;
      }
    }
  }

  pid_t pid_ = -1;
  int stdout_ = -1;
  int port_ = 0;
  int status_ = -1;
  std::string text_;
};

}  // namespace boxwander::test

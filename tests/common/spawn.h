#pragma once

// Starting a program from a test as a shell would: argument list, redirections, working
// directory and process group.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <utility>
#include <vector>

extern char** environ;

namespace boxwander::test {

struct SpawnOptions {
  std::string outFile = "";  // stdout into this file, truncated; empty: inherited
  std::string errFile = "";  // stderr likewise
  bool errToOut = false;     // stderr joins stdout
  std::string workDir = "";  // empty: this process's
  bool ownGroup = false;     // a process group of its own, as a shell starts a job
  bool searchPath = false;   // args[0] looked up on PATH
};

// Starts args[0] with args; 0 or the error number, pid -1 when it did not start.
inline int Spawn(std::vector<std::string> args, const SpawnOptions& options, pid_t& pid) {
  std::vector<char*> argv;
  for (auto& a : args)
    argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  constexpr int kWrite = O_WRONLY | O_CREAT | O_TRUNC;
  if (!options.outFile.empty())
    posix_spawn_file_actions_addopen(&actions, 1, options.outFile.c_str(), kWrite, 0644);
  if (!options.errFile.empty())
    posix_spawn_file_actions_addopen(&actions, 2, options.errFile.c_str(), kWrite, 0644);
  if (options.errToOut)
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
  if (!options.workDir.empty())
    posix_spawn_file_actions_addchdir_np(&actions, options.workDir.c_str());
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  if (options.ownGroup) {
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
  }
  pid = -1;
  const int error = options.searchPath
                        ? posix_spawnp(&pid, argv[0], &actions, &attributes, argv.data(), environ)
                        : posix_spawn(&pid, argv[0], &actions, &attributes, argv.data(), environ);
  if (error != 0)
    pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  return error;
}

// Runs the program to its end: its exit status, or -1 when it did not start or exit.
inline int Run(std::vector<std::string> args, const SpawnOptions& options) {
  pid_t pid = -1;
  if (Spawn(std::move(args), options, pid) != 0)
    return -1;
  int raw = 0;
  waitpid(pid, &raw, 0);
  return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

}  // namespace boxwander::test

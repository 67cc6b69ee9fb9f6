// A program of the build run as a child process, with an environment of the
// test's choosing, waited for a limited time: a child that hangs is killed.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace outside_testing {

struct ChildEnd {
  bool ended = false;  // by itself, within the time
  bool exited = false;
  int exit_code = -1;
  std::chrono::milliseconds took{0};
};

// `environment` entries ("NAME=value", or "NAME=" to drop NAME) replace the
// test's own; the child's standard error goes to errorFile. 0 when it did not start.
inline pid_t SpawnChild(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
                        const std::string& errorFile) {
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e) {
    std::string entry = *e;
    bool replaced = false;
    for (const std::string& mine : environment)
      replaced |= entry.compare(0, mine.find('=') + 1, mine, 0, mine.find('=') + 1) == 0;
    if (!replaced) env.push_back(entry);
  }
  for (const std::string& mine : environment)
    if (mine.back() != '=') env.push_back(mine);
  std::vector<char*> args, envp;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  for (const std::string& e : env) envp.push_back(const_cast<char*>(e.c_str()));
  envp.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errorFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  pid_t pid = 0;
  int spawned = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  return spawned == 0 ? pid : 0;
}

// Until the child ends, at most `limit` from `start`; a child that hangs is killed.
inline ChildEnd WaitForChild(pid_t pid, std::chrono::steady_clock::time_point start, std::chrono::seconds limit) {
  ChildEnd end;
  if (pid == 0) return end;
  int status = 0;
  for (;;) {
    if (waitpid(pid, &status, WNOHANG) == pid) {
      end.ended = true;
      break;
    }
    if (std::chrono::steady_clock::now() - start > limit) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  end.took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
  end.exited = WIFEXITED(status);
  end.exit_code = end.exited ? WEXITSTATUS(status) : -1;
  return end;
}

inline ChildEnd RunChild(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
                         const std::string& errorFile, std::chrono::seconds limit) {
  auto start = std::chrono::steady_clock::now();
  return WaitForChild(SpawnChild(argv, environment, errorFile), start, limit);
}

// The same, with SIGTERM sent after `runFor` (a child that has ended by then is
// not signalled).
inline ChildEnd RunChildUntilSignalled(const std::vector<std::string>& argv,
                                       const std::vector<std::string>& environment, const std::string& errorFile,
                                       std::chrono::milliseconds runFor, std::chrono::seconds limit) {
  auto start = std::chrono::steady_clock::now();
  pid_t pid = SpawnChild(argv, environment, errorFile);
  if (pid == 0) return {};
  std::this_thread::sleep_for(runFor);
  int status = 0;
  if (waitpid(pid, &status, WNOHANG) == pid) {
    ChildEnd end{true, WIFEXITED(status), WIFEXITED(status) ? WEXITSTATUS(status) : -1, {}};
    return end;
  }
  kill(pid, SIGTERM);
  return WaitForChild(pid, start, limit);
}

}  // namespace outside_testing

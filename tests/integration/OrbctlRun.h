#pragma once
// Runs orbctl as the operator runs it: its own process, in a directory of its
// own, standard input from /dev/null (no terminal), its output kept.

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

#include "settings/TempDir.h"
#include "support/SimProcess.h"

struct OrbctlRun {
  int status = -1;
  std::string out;
  std::string err;
  double seconds = 0;
};

// environment holds NAME=VALUE entries added to the test's own environment; a
// password the test's caller has in ORB_PASSWORD is never passed on.
inline OrbctlRun Orbctl(const TempDir& dir, std::vector<std::string> args,
                        std::vector<std::string> environment = {}) {
  args.insert(args.begin(),
              {std::string(ORB_BIN_DIR) + "/orbctl", "--ini", dir.File("Remote.ini")});
  for (char** entry = environ; *entry != nullptr; ++entry) {
    if (std::string_view(*entry).rfind("ORB_PASSWORD=", 0) != 0) environment.push_back(*entry);
  }
  // Built before fork: the child of a threaded process may not allocate.
  std::vector<char*> argv, envp;
  for (auto& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  for (auto& entry : environment) envp.push_back(entry.data());
  envp.push_back(nullptr);
  const std::string outPath = dir.File("out.txt"), errPath = dir.File("err.txt");
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::chdir(dir.Path().c_str());
    const int in = ::open("/dev/null", O_RDONLY);
    const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ::dup2(in, STDIN_FILENO);
    ::dup2(out, STDOUT_FILENO);
    ::dup2(err, STDERR_FILENO);
    ::execve(argv[0], argv.data(), envp.data());
    ::_exit(127);
  }
  OrbctlRun run;
  int status = 0;
  ::waitpid(pid, &status, 0);
  run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.out = ReadWholeFile(outPath);
  run.err = ReadWholeFile(errPath);
  return run;
}

// The same against the simulated unit, once it has finished with the viewer before: the unit
// serves one at a time, and may not yet have noticed that the last one left.
inline OrbctlRun Orbctl(const TempDir& dir, SimProcess& sim, std::vector<std::string> args) {
  if (!sim.WaitUntilIdle()) {
    OrbctlRun busy;
    busy.err = "the simulated unit is still busy or gone";
    return busy;
  }
  return Orbctl(dir, std::move(args));
}

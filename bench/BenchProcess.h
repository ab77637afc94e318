#pragma once
// A program the window benchmarks start and measure: its standard input and
// output on pipes when asked, its process id for /proc, and its resource use
// once it has ended.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace bench {

// Microseconds on CLOCK_MONOTONIC, the clock orb-sim stamps its changes with.
inline long long MonotonicMicroseconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<long long>(now.tv_sec) * 1000000 + now.tv_nsec / 1000;
}

// The machine's load averages as /proc/loadavg gives them (1, 5 and 15 minutes).
inline std::string LoadAverage() {
  std::ifstream in("/proc/loadavg");
  std::string one, five, fifteen;
  in >> one >> five >> fifteen;
  return one + " " + five + " " + fifteen;
}

class BenchProcess {
 public:
  struct Setup {
    std::vector<std::string> environment;  // NAME=VALUE added to the benchmark's own
    std::string workingDirectory;          // empty: the benchmark's own
    bool input = false;                    // standard input on a pipe for WriteLine
    bool output = false;                   // standard output on a pipe for WaitForLine
  };

  BenchProcess(std::vector<std::string> args, Setup setup) {
    const bool input = setup.input, output = setup.output;
    int in[2] = {-1, -1}, out[2] = {-1, -1};
    if ((input && ::pipe2(in, O_CLOEXEC) != 0) || (output && ::pipe2(out, O_CLOEXEC) != 0))
      throw std::runtime_error("pipe failed");
    // Built before fork: the child of a threaded process may not allocate.
    std::vector<char*> argv;
    for (auto& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    m_pid = ::fork();
    if (m_pid == 0) {
      for (auto& entry : setup.environment) ::putenv(entry.data());
      if (!setup.workingDirectory.empty() && ::chdir(setup.workingDirectory.c_str()) != 0)
        ::_exit(126);
      if (input) ::dup2(in[0], STDIN_FILENO);
      if (output) ::dup2(out[1], STDOUT_FILENO);
      ::execv(argv[0], argv.data());
      ::_exit(127);
    }
    if (input) {
      ::close(in[0]);
      m_input = in[1];
    }
    if (output) {
      ::close(out[1]);
      m_output = out[0];
    }
    if (m_pid < 0) throw std::runtime_error("fork failed");
  }
  ~BenchProcess() {
    if (m_pid > 0) Stop();
    if (m_input >= 0) ::close(m_input);
    if (m_output >= 0) ::close(m_output);
  }
  BenchProcess(const BenchProcess&) = delete;
  BenchProcess& operator=(const BenchProcess&) = delete;

  pid_t Pid() const { return m_pid; }
  bool Running() const { return m_pid > 0 && ::waitpid(m_pid, nullptr, WNOHANG) == 0; }

  void WriteLine(const std::string& line) {
    const std::string text = line + "\n";
    if (::write(m_input, text.data(), text.size()) != static_cast<ssize_t>(text.size()))
      throw std::runtime_error("cannot write to the program's input");
  }

  // The next line of its output that starts with the prefix, skipping others; nothing when
  // none came within the time or the output closed.
  std::optional<std::string> WaitForLine(std::string_view prefix, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
      for (size_t end; (end = m_pending.find('\n')) != std::string::npos;) {
        std::string line = m_pending.substr(0, end);
        m_pending.erase(0, end + 1);
        if (line.starts_with(prefix)) return line;
      }
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                            deadline - std::chrono::steady_clock::now())
                            .count();
      if (left <= 0) return std::nullopt;
      pollfd ready = {m_output, POLLIN, 0};
      if (::poll(&ready, 1, static_cast<int>(left)) <= 0) continue;
      char buffer[4096];
      const ssize_t got = ::read(m_output, buffer, sizeof buffer);
      if (got <= 0) return std::nullopt;
      m_pending.append(buffer, static_cast<size_t>(got));
    }
  }

  // Processor time the process has used so far, user and system, in seconds.
  double CpuSeconds() const {
    std::ifstream in("/proc/" + std::to_string(m_pid) + "/stat");
    std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // The fields after the command name, which is in parentheses and may hold blanks.
    const size_t close = stat.rfind(')');
    if (close == std::string::npos) throw std::runtime_error("no /proc stat for the process");
    std::istringstream fields(stat.substr(close + 2));
    std::string field;
    // utime and stime are fields 14 and 15; the state (field 3) comes first here.
    for (int i = 3; i < 14; ++i) fields >> field;
    long long user = 0, system = 0;
    fields >> user >> system;
    return static_cast<double>(user + system) / static_cast<double>(::sysconf(_SC_CLK_TCK));
  }

  // A line of /proc/<pid>/status in kibibytes, e.g. "VmHWM".
  long long StatusKiB(const std::string& key) const {
    std::ifstream in("/proc/" + std::to_string(m_pid) + "/status");
    for (std::string line; std::getline(in, line);)
      if (line.starts_with(key + ":")) return std::stoll(line.substr(key.size() + 1));
    throw std::runtime_error("no " + key + " in /proc status");
  }

  // Asks the program to end (SIGTERM) and waits for it.
  rusage Stop() {
    if (m_pid > 0) ::kill(m_pid, SIGTERM);
    return Wait().usage;
  }

  struct Ended {
    int status = 0;
    rusage usage{};
  };
  // Waits for the program to end by itself.
  Ended Wait() {
    Ended ended;
    if (m_pid > 0) ::wait4(m_pid, &ended.status, 0, &ended.usage);
    m_pid = -1;
    return ended;
  }

 private:
  pid_t m_pid = -1;
  int m_input = -1;
  int m_output = -1;
  std::string m_pending;
};

}  // namespace bench

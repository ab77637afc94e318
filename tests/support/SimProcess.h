#pragma once
// Runs build/bin/orb-sim as a child process on a free loopback port for the
// length of a test, and stops it afterwards.

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

class SimProcess {
 public:
  // Where the simulated unit is reached: on a loopback port, or behind a
  // modem (or cable, with --direct) on a pseudo-terminal it opens itself.
  enum class Line { Tcp, Pty };

  explicit SimProcess(std::vector<std::string> flags, Line line = Line::Tcp) {
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
    std::vector<std::string> args = {std::string(ORB_BIN_DIR) + "/orb-sim"};
    if (line == Line::Tcp)
      args.insert(args.end(), {"--listen", "127.0.0.1:0"});
    else
      args.push_back("--pty");
    args.insert(args.end(), flags.begin(), flags.end());
    // Built before fork: the child of a threaded process may not allocate.
    std::vector<char*> argv;
    for (auto& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    m_pid = ::fork();
    if (m_pid == 0) {
      ::dup2(out[1], STDOUT_FILENO);
      ::execv(argv[0], argv.data());
      ::_exit(127);
    }
    ::close(out[1]);
    m_stdout = out[0];
    // Everything the simulator prints is read as it comes, so it never blocks on a full
    // pipe, and kept for WaitForLine.
    m_reader = std::thread([this] { ReadLines(); });
    try {
      const auto said = WaitForLine("");
      if (!said) throw std::runtime_error("orb-sim did not start (see its standard error)");
      if (line == Line::Pty && said->rfind("PTY ", 0) == 0) {
        m_ptyPath = said->substr(4);
      } else {
        if (said->rfind("LISTENING ", 0) != 0) throw std::runtime_error("orb-sim said: " + *said);
        m_port = std::atoi(said->c_str() + 10);
      }
    } catch (...) {
      Stop();
      throw;
    }
  }
  ~SimProcess() { Stop(); }
  SimProcess(const SimProcess&) = delete;
  SimProcess& operator=(const SimProcess&) = delete;

  int Port() const { return m_port; }
  std::string Address() const { return "127.0.0.1:" + std::to_string(m_port); }
  // The pseudo-terminal the viewer opens as its serial port (Line::Pty).
  const std::string& PtyPath() const { return m_ptyPath; }

  // Waits (at most timeout) for a line on the simulator's standard output that starts with
  // prefix and comes after the last line this returned. Nothing when it did not come in time
  // or the simulator closed its output first.
  std::optional<std::string> WaitForLine(
      std::string_view prefix, std::chrono::milliseconds timeout = std::chrono::seconds(30)) {
    std::unique_lock lock(m_mutex);
    std::optional<std::string> found;
    m_linesChanged.wait_for(lock, timeout, [&] {
      for (; m_nextLine < m_lines.size(); ++m_nextLine) {
        if (m_lines[m_nextLine].starts_with(prefix)) {
          found = m_lines[m_nextLine++];
          return true;
        }
      }
      return m_closed;
    });
    return found;
  }

  // The simulator serves one viewer at a time and tells a second that it is busy; a test
  // that connects again waits here until it has finished with the one before. Each call
  // stands for one session, so call it once per viewer that connected.
  bool WaitUntilFree() { return WaitForLine("SESSION ENDED").has_value(); }

  // Waits (at most timeout) until every viewer the unit took on has left, without using up any
  // line. The unit says it took a viewer on before answering it, so once a viewer has ended,
  // its start is in the pipe if not yet among the lines, and both are looked at here.
  bool WaitUntilIdle(std::chrono::milliseconds timeout = std::chrono::seconds(30)) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    std::unique_lock lock(m_mutex);
    for (;;) {
      int unread = 0;
      // The reader reads under the lock, so nothing is half-way between pipe and lines here.
      if (!m_closed && ::ioctl(m_stdout, FIONREAD, &unread) == 0 && unread == 0) {
        size_t started = 0, ended = 0;
        for (const std::string& line : m_lines) {
          started += line == "SESSION STARTED";
          ended += line == "SESSION ENDED";
        }
        if (started <= ended) return true;
      }
      if (m_closed) return false;
      if (m_linesChanged.wait_until(lock, deadline) == std::cv_status::timeout) return false;
    }
  }

  // Ends the unit at once by the signal, as a crash or an operator would, and
  // waits until it has gone; its output stays readable.
  void Kill(int signal) {
    if (m_pid <= 0) return;
    ::kill(m_pid, signal);
    int status = 0;
    ::waitpid(m_pid, &status, 0);
    m_pid = -1;
  }

 private:
  void Stop() {
    if (m_pid > 0) {
      ::kill(m_pid, SIGTERM);
      int status = 0;
      ::waitpid(m_pid, &status, 0);
    }
    if (m_reader.joinable()) m_reader.join();
    if (m_stdout >= 0) ::close(m_stdout);
    m_pid = -1;
    m_stdout = -1;
  }

  void ReadLines() {
    std::string pending;
    char buffer[4096];
    for (;;) {
      pollfd ready = {m_stdout, POLLIN, 0};
      if (::poll(&ready, 1, -1) < 0) {
        if (errno == EINTR) continue;
        break;
      }
      // Read under the lock (the data is there, so it does not block) for WaitUntilIdle.
      std::lock_guard lock(m_mutex);
      const ssize_t got = ::read(m_stdout, buffer, sizeof buffer);
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) break;
      pending.append(buffer, static_cast<size_t>(got));
      for (size_t end; (end = pending.find('\n')) != std::string::npos; pending.erase(0, end + 1))
        m_lines.push_back(pending.substr(0, end));
      m_linesChanged.notify_all();
    }
    std::lock_guard lock(m_mutex);
    m_closed = true;
    m_linesChanged.notify_all();
  }

  pid_t m_pid = -1;
  int m_stdout = -1;
  int m_port = 0;
  std::string m_ptyPath;
  std::thread m_reader;

  std::mutex m_mutex;
  std::condition_variable m_linesChanged;
  std::vector<std::string> m_lines;  // every complete line so far
  size_t m_nextLine = 0;             // where the next WaitForLine starts looking
  bool m_closed = false;
};

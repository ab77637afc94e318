#pragma once
// Runs build/bin/orb-sim as a child process on a free loopback port for the
// length of a test, and stops it afterwards.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

class SimProcess {
 public:
  explicit SimProcess(std::vector<std::string> flags) {
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
    std::vector<std::string> args = {std::string(ORB_BIN_DIR) + "/orb-sim", "--listen",
                                     "127.0.0.1:0"};
    args.insert(args.end(), flags.begin(), flags.end());
    m_pid = ::fork();
    if (m_pid == 0) {
      ::dup2(out[1], STDOUT_FILENO);
      std::vector<char*> argv;
      for (auto& arg : args) argv.push_back(arg.data());
      argv.push_back(nullptr);
      ::execv(argv[0], argv.data());
      ::_exit(127);
    }
    ::close(out[1]);
    m_stdout = out[0];
    try {
      m_port = ReadPort();
    } catch (...) {
      Stop();
      throw;
    }
    // Whatever else the simulator prints is drained, so it never blocks on a full pipe.
    m_drain = std::thread([fd = m_stdout] {
      char buffer[4096];
      while (::read(fd, buffer, sizeof buffer) > 0) {
      }
    });
  }
  ~SimProcess() { Stop(); }
  SimProcess(const SimProcess&) = delete;
  SimProcess& operator=(const SimProcess&) = delete;

  int Port() const { return m_port; }
  std::string Address() const { return "127.0.0.1:" + std::to_string(m_port); }

 private:
  void Stop() {
    if (m_pid > 0) {
      ::kill(m_pid, SIGTERM);
      int status = 0;
      ::waitpid(m_pid, &status, 0);
    }
    if (m_drain.joinable()) m_drain.join();
    if (m_stdout >= 0) ::close(m_stdout);
    m_pid = -1;
    m_stdout = -1;
  }

  // Waits (at most 10 s) for the "LISTENING <port>" line the simulator prints.
  int ReadPort() {
    std::string line;
    pollfd entry{m_stdout, POLLIN, 0};
    while (line.find('\n') == std::string::npos) {
      if (::poll(&entry, 1, 10000) != 1) throw std::runtime_error("orb-sim did not start");
      char c;
      if (::read(m_stdout, &c, 1) != 1) throw std::runtime_error("orb-sim exited at start");
      line += c;
    }
    const auto at = line.find("LISTENING ");
    if (at == std::string::npos) throw std::runtime_error("orb-sim said: " + line);
    return std::atoi(line.c_str() + at + 10);
  }

  pid_t m_pid = -1;
  int m_stdout = -1;
  int m_port = 0;
  std::thread m_drain;
};

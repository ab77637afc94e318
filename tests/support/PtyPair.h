#pragma once
// A pseudo-terminal standing in for a serial line: the viewer opens the
// slave's path as its port, the test plays the far end (a modem, a unit on a
// cable) on the master. The slave is left raw, so bytes pass unchanged.

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

class PtyPair {
 public:
  PtyPair() {
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0)
      throw std::runtime_error("no pseudo-terminal");
    char name[128];
    if (::ptsname_r(m_master, name, sizeof name) != 0) throw std::runtime_error("ptsname failed");
    m_slavePath = name;
    // Raw before the viewer opens it, so nothing the far end says early is
    // echoed back or cooked; the settings stay with the terminal.
    const int slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios settings{};
    ::tcgetattr(slave, &settings);
    ::cfmakeraw(&settings);
    ::tcsetattr(slave, TCSANOW, &settings);
    ::close(slave);
  }
  ~PtyPair() {
    if (m_master >= 0) ::close(m_master);
  }
  PtyPair(const PtyPair&) = delete;
  PtyPair& operator=(const PtyPair&) = delete;

  const std::string& SlavePath() const { return m_slavePath; }
  int Master() const { return m_master; }

  void Write(const std::string& text) { Write(std::vector<uint8_t>(text.begin(), text.end())); }
  void Write(const std::vector<uint8_t>& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n = ::write(m_master, bytes.data() + done, bytes.size() - done);
      if (n <= 0) return;
      done += static_cast<size_t>(n);
    }
  }

  // One byte, or -1 when none came within the time. While the viewer has
  // the line closed (before it opens it, after it hangs up) nothing comes.
  int ReadByte(int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                            deadline - std::chrono::steady_clock::now())
                            .count();
      if (left <= 0) return -1;
      pollfd entry{m_master, POLLIN, 0};
      const int ready = ::poll(&entry, 1, static_cast<int>(std::min<long>(left, 20)));
      if (ready > 0 && (entry.revents & POLLIN)) {
        uint8_t byte = 0;
        if (::read(m_master, &byte, 1) == 1) {
          m_opened = true;
          return byte;
        }
      }
      if (ready > 0 && (entry.revents & POLLHUP)) {
        if (m_opened) m_hungUp = true;
        ::usleep(10000);
      } else if (ready > 0) {
        ::usleep(10000);
      }
    }
  }
  // Exactly size bytes, or fewer when they stopped coming.
  std::vector<uint8_t> Read(size_t size, int timeoutMs) {
    std::vector<uint8_t> bytes;
    while (bytes.size() < size) {
      const int byte = ReadByte(timeoutMs);
      if (byte < 0) break;
      bytes.push_back(static_cast<uint8_t>(byte));
    }
    return bytes;
  }
  // Everything up to and including the terminator.
  std::string ReadUntil(char terminator, int timeoutMs) {
    std::string text;
    for (;;) {
      const int byte = ReadByte(timeoutMs);
      if (byte < 0) return text;
      text += static_cast<char>(byte);
      if (byte == terminator) return text;
    }
  }
  // Whether the viewer closed its end after opening it.
  bool HungUp() const {
    if (m_hungUp) return true;
    pollfd entry{m_master, 0, 0};
    return m_opened && ::poll(&entry, 1, 0) > 0 && (entry.revents & POLLHUP);
  }

 private:
  int m_master = -1;
  std::string m_slavePath;
  std::atomic<bool> m_hungUp{false};
  std::atomic<bool> m_opened{false};
};

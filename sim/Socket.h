#pragma once
// Thin POSIX socket layer: an owned descriptor, a listener, and reads and writes that give up
// on a deadline or when the unit is told to stop.

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

#include "Bytes.h"

namespace sim {

using Clock = std::chrono::steady_clock;

class Socket {
 public:
  Socket() = default;
  explicit Socket(int fd) : m_fd(fd) {}
  ~Socket() { Close(); }
  Socket(Socket&& other) noexcept : m_fd(other.m_fd) { other.m_fd = -1; }
  Socket& operator=(Socket&& other) noexcept;
  Socket(const Socket&) = delete;
  Socket& operator=(const Socket&) = delete;

  int Fd() const { return m_fd; }
  bool IsOpen() const { return m_fd >= 0; }
  void Close();

  // Sends every byte or throws std::runtime_error.
  void SendAll(const std::uint8_t* bytes, std::size_t n);
  void SendAll(const Bytes& bytes) { SendAll(bytes.data(), bytes.size()); }
  // Waits up to `timeoutMs` for input; returns the bytes read (0 when none arrived) and throws
  // std::runtime_error when the peer closed or the read failed.
  std::size_t ReadSome(std::uint8_t* into, std::size_t n, int timeoutMs);
  // Ends our direction, then waits (at most `lingerMs`) for the peer to close, so what we sent
  // last is not lost to a reset.
  void Linger(int lingerMs);

 private:
  int m_fd = -1;
};

// Fills `into` completely, or throws std::runtime_error on a closed peer, a passed deadline or
// a stop request.
void ReadExact(Socket& socket, std::uint8_t* into, std::size_t n, Clock::time_point deadline,
               const std::atomic<bool>& stop);

// A listening TCP socket on host:port (port 0 picks a free one).
Socket Listen(const std::string& host, int port);
int LocalPort(const Socket& socket);
// Waits up to `timeoutMs` for a client; an unopened socket when none came.
Socket Accept(Socket& listener, int timeoutMs);

}  // namespace sim

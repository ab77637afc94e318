#pragma once
// Thin POSIX socket layer: an owned descriptor, a listener, and reads and writes that give up
// on a deadline or when the unit is told to stop.

#include <cstddef>
#include <cstdint>
#include <string>

#include "Link.h"

namespace sim {

class Socket : public Link {
 public:
  Socket() = default;
  explicit Socket(int fd) : m_fd(fd) {}
  ~Socket() override { Close(); }
  Socket(Socket&& other) noexcept : m_fd(other.m_fd) { other.m_fd = -1; }
  Socket& operator=(Socket&& other) noexcept;
  Socket(const Socket&) = delete;
  Socket& operator=(const Socket&) = delete;

  int Fd() const { return m_fd; }
  bool IsOpen() const { return m_fd >= 0; }
  void Close();

  using Link::SendAll;
  void SendAll(const std::uint8_t* bytes, std::size_t n) override;
  std::size_t ReadSome(std::uint8_t* into, std::size_t n, int timeoutMs) override;
  // Ends our direction first, so the peer's close is what ends the wait.
  void Linger(int lingerMs) override;

 private:
  int m_fd = -1;
};

// A listening TCP socket on host:port (port 0 picks a free one).
Socket Listen(const std::string& host, int port);
int LocalPort(const Socket& socket);
// Waits up to `timeoutMs` for a client; an unopened socket when none came.
Socket Accept(Socket& listener, int timeoutMs);

}  // namespace sim

#pragma once
// A TCP/IPv4 socket over POSIX. Failed calls record their socket error number
// (see SocketErrors.h) for the operator-facing texts.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace platform {

// An IPv4 address in network byte order, with a port in host order.
struct Endpoint {
  uint32_t address = 0;
  uint16_t port = 0;
};

// A dotted IPv4 address ("255.255.255.255" included), in network byte order.
std::optional<uint32_t> ParseDottedIPv4(const std::string& text);
// Resolves a host name to its first IPv4 address; nullopt (with the socket error
// recorded) when it cannot be resolved.
std::optional<uint32_t> ResolveHostIPv4(const std::string& host);

class TcpSocket {
 public:
  static constexpr int RECEIVE_TIMED_OUT = -2;
  // A wait given a stop descriptor (see StopSignal) ended because it was raised.
  static constexpr int RECEIVE_STOPPED = -3;
  static constexpr int WAIT_STOPPED = -3;

  TcpSocket() = default;
  explicit TcpSocket(int fd) : m_fd(fd) {}
  ~TcpSocket() { Close(); }
  TcpSocket(TcpSocket&& other) noexcept : m_fd(other.m_fd.exchange(-1)) {}
  TcpSocket& operator=(TcpSocket&& other) noexcept;
  TcpSocket(const TcpSocket&) = delete;
  TcpSocket& operator=(const TcpSocket&) = delete;

  bool IsOpen() const { return m_fd.load() >= 0; }
  int Fd() const { return m_fd.load(); }

  // Creates the socket; false when it cannot be created.
  bool Open();
  bool SetBlocking(bool blocking);
  // 0 when connected at once; otherwise the socket error, WSAEWOULDBLOCK while a
  // non-blocking connect is under way.
  int Connect(const Endpoint& endpoint);
  // Waits for a non-blocking connect: 1 writable, 0 time-out, -1 the wait
  // failed, WAIT_STOPPED when stopFd (if not -1) was raised first.
  int WaitWritable(int timeoutMs, int stopFd = -1);
  // The outcome of a finished non-blocking connect: 0 or the socket error.
  int ConnectResult();

  // Sends every byte, repeating short sends; false on failure.
  bool SendAll(const void* data, size_t size);
  // Bytes received (> 0), 0 when the peer closed, -1 on failure,
  // RECEIVE_TIMED_OUT when timeoutMs (>= 0) passed without data, or
  // RECEIVE_STOPPED when stopFd (if not -1) was raised first.
  int Receive(void* buffer, size_t size, int timeoutMs = -1, int stopFd = -1);

  // Ends both directions so a Receive blocked on another thread returns; the
  // descriptor stays valid until Close.
  void Shutdown();
  void Close();

  // Server side: binds and listens; port 0 picks a free port (see LocalPort).
  bool Listen(const std::string& host, uint16_t port, int backlog = 4);
  // The next client, or a closed socket on time-out (timeoutMs < 0 waits forever).
  TcpSocket Accept(int timeoutMs = -1);
  uint16_t LocalPort() const;

 private:
  std::atomic<int> m_fd{-1};
};

}  // namespace platform

#include "platform/TcpSocket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include "platform/SocketErrors.h"

namespace platform {
namespace {

// Records the socket error of the call that just failed and returns it.
int Failed() {
  const int error = SocketErrorFromErrno(errno);
  SetLastSocketError(error);
  return error;
}

sockaddr_in ToSockaddr(const Endpoint& endpoint) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = endpoint.address;
  address.sin_port = htons(endpoint.port);
  return address;
}

constexpr int POLL_STOPPED = -3;

// 1 ready, 0 time-out, -1 failure, POLL_STOPPED when stopFd (if any) became
// readable first; retries when a signal interrupts the wait.
int PollFor(int fd, short events, int timeoutMs, int stopFd = -1) {
  pollfd entries[2] = {{fd, events, 0}, {stopFd, POLLIN, 0}};
  const nfds_t count = stopFd >= 0 ? 2 : 1;
  for (;;) {
    const int result = ::poll(entries, count, timeoutMs);
    if (result > 0 && count == 2 && entries[1].revents != 0) return POLL_STOPPED;
    if (result >= 0) return result > 0 ? 1 : 0;
    if (errno != EINTR) {
      Failed();
      return -1;
    }
  }
}

}  // namespace

std::optional<uint32_t> ParseDottedIPv4(const std::string& text) {
  in_addr address{};
  if (::inet_pton(AF_INET, text.c_str(), &address) != 1) return std::nullopt;
  return address.s_addr;
}

std::optional<uint32_t> ResolveHostIPv4(const std::string& host) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  const int status = ::getaddrinfo(host.c_str(), nullptr, &hints, &found);
  if (status != 0 || found == nullptr) {
    SetLastSocketError(status == EAI_AGAIN ? 11002 : WSAHOST_NOT_FOUND);
    return std::nullopt;
  }
  const uint32_t address = reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr.s_addr;
  ::freeaddrinfo(found);
  return address;
}

TcpSocket& TcpSocket::operator=(TcpSocket&& other) noexcept {
  if (this != &other) {
    Close();
    m_fd = other.m_fd.exchange(-1);
  }
  return *this;
}

bool TcpSocket::Open() {
  Close();
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP);
  if (fd < 0) {
    Failed();
    return false;
  }
  // Small packets (keystrokes, mouse moves) must leave at once.
  const int on = 1;
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  m_fd = fd;
  return true;
}

bool TcpSocket::SetBlocking(bool blocking) {
  const int fd = m_fd;
  const int flags = ::fcntl(fd, F_GETFL, 0);
  if (flags < 0 || ::fcntl(fd, F_SETFL, blocking ? flags & ~O_NONBLOCK : flags | O_NONBLOCK) < 0) {
    Failed();
    return false;
  }
  return true;
}

int TcpSocket::Connect(const Endpoint& endpoint) {
  const sockaddr_in address = ToSockaddr(endpoint);
  if (::connect(m_fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) return 0;
  // A non-blocking connect under way is reported as "would block", as the
  // operator-facing texts expect.
  if (errno == EINPROGRESS) {
    SetLastSocketError(WSAEWOULDBLOCK);
    return WSAEWOULDBLOCK;
  }
  return Failed();
}

int TcpSocket::WaitWritable(int timeoutMs, int stopFd) {
  return PollFor(m_fd, POLLOUT, timeoutMs, stopFd);
}

int TcpSocket::ConnectResult() {
  int error = 0;
  socklen_t length = sizeof error;
  if (::getsockopt(m_fd, SOL_SOCKET, SO_ERROR, &error, &length) < 0) return Failed();
  if (error == 0) return 0;
  const int socketError = SocketErrorFromErrno(error);
  SetLastSocketError(socketError);
  return socketError;
}

bool TcpSocket::SendAll(const void* data, size_t size) {
  const auto* bytes = static_cast<const uint8_t*>(data);
  while (size > 0) {
    const ssize_t sent = ::send(m_fd, bytes, size, MSG_NOSIGNAL);
    if (sent < 0 && errno == EINTR) continue;
    if (sent < 1) {
      if (sent == 0) errno = ECONNRESET;
      Failed();
      return false;
    }
    bytes += sent;
    size -= static_cast<size_t>(sent);
  }
  return true;
}

int TcpSocket::Receive(void* buffer, size_t size, int timeoutMs, int stopFd) {
  static_assert(POLL_STOPPED == RECEIVE_STOPPED && POLL_STOPPED == WAIT_STOPPED);
  const int fd = m_fd;
  if (timeoutMs >= 0 || stopFd >= 0) {
    const int ready = PollFor(fd, POLLIN, timeoutMs, stopFd);
    if (ready == POLL_STOPPED) return RECEIVE_STOPPED;
    if (ready == 0) return RECEIVE_TIMED_OUT;
    if (ready < 0) return -1;
  }
  for (;;) {
    const ssize_t received = ::recv(fd, buffer, size, 0);
    if (received >= 0) return static_cast<int>(received);
    if (errno != EINTR) {
      Failed();
      return -1;
    }
  }
}

void TcpSocket::Shutdown() {
  const int fd = m_fd;
  if (fd >= 0) ::shutdown(fd, SHUT_RDWR);
}

void TcpSocket::Close() {
  const int fd = m_fd.exchange(-1);
  if (fd >= 0) {
    ::shutdown(fd, SHUT_RDWR);
    ::close(fd);
  }
}

bool TcpSocket::Listen(const std::string& host, uint16_t port, int backlog) {
  const auto address = ParseDottedIPv4(host);
  if (!address || !Open()) {
    if (!address) SetLastSocketError(WSAHOST_NOT_FOUND);
    return false;
  }
  const int on = 1;
  ::setsockopt(m_fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  const sockaddr_in bound = ToSockaddr({*address, port});
  if (::bind(m_fd, reinterpret_cast<const sockaddr*>(&bound), sizeof bound) < 0 ||
      ::listen(m_fd, backlog) < 0) {
    Failed();
    Close();
    return false;
  }
  return true;
}

TcpSocket TcpSocket::Accept(int timeoutMs) {
  if (PollFor(m_fd, POLLIN, timeoutMs) != 1) return TcpSocket();
  const int fd = ::accept4(m_fd, nullptr, nullptr, SOCK_CLOEXEC);
  if (fd < 0) {
    Failed();
    return TcpSocket();
  }
  const int on = 1;
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  return TcpSocket(fd);
}

uint16_t TcpSocket::LocalPort() const {
  sockaddr_in address{};
  socklen_t length = sizeof address;
  if (::getsockname(m_fd, reinterpret_cast<sockaddr*>(&address), &length) < 0) return 0;
  return ntohs(address.sin_port);
}

}  // namespace platform

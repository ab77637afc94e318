#include "Socket.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace sim {

namespace {
std::runtime_error SystemError(const std::string& what) {
  return std::runtime_error(what + ": " + std::strerror(errno));
}
}  // namespace

Socket& Socket::operator=(Socket&& other) noexcept {
  if (this != &other) {
    Close();
    m_fd = other.m_fd;
    other.m_fd = -1;
  }
  return *this;
}

void Socket::Close() {
  if (m_fd >= 0) ::close(m_fd);
  m_fd = -1;
}

void Socket::SendAll(const std::uint8_t* bytes, std::size_t n) {
  while (n > 0) {
    const ssize_t sent = ::send(m_fd, bytes, n, MSG_NOSIGNAL);
    if (sent < 0 && errno == EINTR) continue;
    if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
      throw std::runtime_error("send timed out: the viewer does not read");
    if (sent <= 0) throw SystemError("send failed");
    bytes += sent;
    n -= static_cast<std::size_t>(sent);
  }
}

std::size_t Socket::ReadSome(std::uint8_t* into, std::size_t n, int timeoutMs) {
  pollfd entry{m_fd, POLLIN, 0};
  const int ready = ::poll(&entry, 1, timeoutMs);
  if (ready < 0 && errno != EINTR) throw SystemError("poll failed");
  if (ready <= 0) return 0;
  const ssize_t got = ::recv(m_fd, into, n, 0);
  if (got < 0 && (errno == EINTR || errno == EAGAIN)) return 0;
  if (got < 0) throw SystemError("receive failed");
  if (got == 0) throw std::runtime_error("the peer closed the connection");
  return static_cast<std::size_t>(got);
}

void Socket::Linger(int lingerMs) {
  if (m_fd < 0) return;
  ::shutdown(m_fd, SHUT_WR);
  const auto end = Clock::now() + std::chrono::milliseconds(lingerMs);
  std::uint8_t sink[4096];
  try {
    while (Clock::now() < end) ReadSome(sink, sizeof sink, 50);
  } catch (const std::runtime_error&) {
    // The peer has closed: nothing we sent can be lost any more.
  }
}

Socket Listen(const std::string& host, int port) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
  addrinfo* found = nullptr;
  const std::string service = std::to_string(port);
  if (const int rc = ::getaddrinfo(host.c_str(), service.c_str(), &hints, &found); rc != 0)
    throw std::runtime_error("cannot resolve " + host + ": " + ::gai_strerror(rc));
  std::string failure = "no address for " + host;
  for (addrinfo* at = found; at; at = at->ai_next) {
    Socket socket(::socket(at->ai_family, at->ai_socktype | SOCK_CLOEXEC, at->ai_protocol));
    if (!socket.IsOpen()) continue;
    const int yes = 1;
    ::setsockopt(socket.Fd(), SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    if (::bind(socket.Fd(), at->ai_addr, at->ai_addrlen) == 0 && ::listen(socket.Fd(), 8) == 0) {
      ::freeaddrinfo(found);
      return socket;
    }
    failure = "cannot listen on " + host + ":" + service + ": " + std::strerror(errno);
  }
  ::freeaddrinfo(found);
  throw std::runtime_error(failure);
}

int LocalPort(const Socket& socket) {
  sockaddr_storage address{};
  socklen_t length = sizeof address;
  if (::getsockname(socket.Fd(), reinterpret_cast<sockaddr*>(&address), &length) != 0)
    throw SystemError("getsockname failed");
  if (address.ss_family == AF_INET6)
    return ntohs(reinterpret_cast<sockaddr_in6&>(address).sin6_port);
  return ntohs(reinterpret_cast<sockaddr_in&>(address).sin_port);
}

Socket Accept(Socket& listener, int timeoutMs) {
  pollfd entry{listener.Fd(), POLLIN, 0};
  if (::poll(&entry, 1, timeoutMs) != 1) return Socket();
  Socket client(::accept4(listener.Fd(), nullptr, nullptr, SOCK_CLOEXEC));
  if (client.IsOpen()) {
    const int yes = 1;
    ::setsockopt(client.Fd(), IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
    // A viewer that stops reading must not hold the unit forever.
    timeval limit{10, 0};
    ::setsockopt(client.Fd(), SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
  }
  return client;
}

}  // namespace sim

#include "Line.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <map>

namespace sim {

namespace {

std::runtime_error SystemError(const std::string& what) {
  return std::runtime_error(what + ": " + std::strerror(errno));
}

speed_t SpeedConstant(int speed) {
  static const std::map<int, speed_t> speeds = {
      {1200, B1200},   {2400, B2400},   {4800, B4800},     {9600, B9600},     {19200, B19200},
      {38400, B38400}, {57600, B57600}, {115200, B115200}, {230400, B230400}, {460800, B460800},
  };
  const auto found = speeds.find(speed);
  if (found == speeds.end())
    throw std::runtime_error("the line cannot run at " + std::to_string(speed) + " bit/s");
  return found->second;
}

// Raw 8N1: no echo, no line editing, no translation, no flow control by characters. On a
// pseudo-terminal's master this sets the viewer's end, so nothing we send before the viewer
// sets its own mode is echoed back to us.
void MakeRaw(int fd, int speed) {
  termios mode{};
  if (::tcgetattr(fd, &mode) != 0) throw SystemError("tcgetattr failed");
  ::cfmakeraw(&mode);
  mode.c_cflag |= CLOCAL | CREAD;
  if (speed > 0) {
    ::cfsetispeed(&mode, SpeedConstant(speed));
    ::cfsetospeed(&mode, SpeedConstant(speed));
  }
  if (::tcsetattr(fd, TCSANOW, &mode) != 0) throw SystemError("tcsetattr failed");
}

}  // namespace

Line Line::OpenPty() {
  const int fd = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) throw SystemError("posix_openpt failed");
  Line line(fd, "");
  if (::grantpt(fd) != 0 || ::unlockpt(fd) != 0) throw SystemError("cannot unlock the pty");
  char name[128];
  if (::ptsname_r(fd, name, sizeof name) != 0) throw SystemError("ptsname failed");
  line.m_path = name;
  MakeRaw(fd, 0);
  return line;
}

Line Line::OpenDevice(const std::string& path, int speed) {
  const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) throw SystemError("cannot open " + path);
  Line line(fd, path);
  MakeRaw(fd, speed);
  return line;
}

Line::~Line() {
  if (m_fd >= 0) ::close(m_fd);
}

bool Line::PeerPresent() const {
  pollfd entry{m_fd, 0, 0};
  return ::poll(&entry, 1, 0) == 0 || !(entry.revents & POLLHUP);
}

std::size_t Line::ReadSome(std::uint8_t* into, std::size_t n, int timeoutMs) {
  pollfd entry{m_fd, POLLIN, 0};
  const int ready = ::poll(&entry, 1, timeoutMs);
  if (ready < 0 && errno != EINTR) throw SystemError("poll failed");
  if (ready <= 0) return 0;
  if ((entry.revents & POLLHUP) && !(entry.revents & POLLIN)) throw LineGone();
  const ssize_t got = ::read(m_fd, into, n);
  if (got < 0 && (errno == EINTR || errno == EAGAIN)) return 0;
  if (got < 0 && errno == EIO) throw LineGone();
  if (got < 0) throw SystemError("read failed");
  return static_cast<std::size_t>(got);
}

std::size_t Line::WriteSome(const std::uint8_t* bytes, std::size_t n, int timeoutMs) {
  if (!PeerPresent()) throw LineGone();
  pollfd entry{m_fd, POLLOUT, 0};
  if (::poll(&entry, 1, timeoutMs) <= 0) return 0;
  const ssize_t put = ::write(m_fd, bytes, n);
  if (put < 0 && errno == EIO) throw LineGone();
  if (put < 0 && errno != EAGAIN && errno != EINTR) throw SystemError("write failed");
  return put < 0 ? 0 : static_cast<std::size_t>(put);
}

void Line::Write(const std::uint8_t* bytes, std::size_t n) {
  const auto limit = std::chrono::steady_clock::now() + WRITE_LIMIT;
  while (n > 0) {
    const std::size_t put = WriteSome(bytes, n, 50);
    bytes += put;
    n -= put;
    if (put == 0 && std::chrono::steady_clock::now() >= limit) throw WriteTimedOut();
  }
}

}  // namespace sim

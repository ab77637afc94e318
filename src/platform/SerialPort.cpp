#include "platform/SerialPort.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

#include "platform/SerialBaud.h"

namespace platform {
namespace {

using Clock = std::chrono::steady_clock;

std::optional<speed_t> StandardSpeed(int baud) {
  switch (baud) {
    case 110:
      return B110;
    case 300:
      return B300;
    case 600:
      return B600;
    case 1200:
      return B1200;
    case 2400:
      return B2400;
    case 4800:
      return B4800;
    case 9600:
      return B9600;
    case 19200:
      return B19200;
    case 38400:
      return B38400;
    case 57600:
      return B57600;
    case 115200:
      return B115200;
    default:
      return std::nullopt;
  }
}

bool IsArbitrarySpeed(int baud) {
  return baud == 14400 || baud == 56000 || baud == 128000 || baud == 256000;
}

int MsLeft(Clock::time_point deadline) {
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left < 0 ? 0 : static_cast<int>(left);
}

// 1 ready, 0 time-out, -1 failed, READ_STOPPED when stopFd was raised.
int WaitFor(int fd, short events, int timeoutMs, int stopFd) {
  pollfd entries[2] = {{fd, events, 0}, {stopFd, POLLIN, 0}};
  const nfds_t count = stopFd >= 0 ? 2 : 1;
  for (;;) {
    const int ready = ::poll(entries, count, timeoutMs);
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) return ready;
    if (count == 2 && entries[1].revents) return SerialPort::READ_STOPPED;
    return 1;
  }
}

}  // namespace

std::string SerialPort::DevicePath(const std::string& portName) {
  if (portName.size() > 3 &&
      (portName.compare(0, 3, "COM") == 0 || portName.compare(0, 3, "com") == 0)) {
    const std::string digits = portName.substr(3);
    if (digits.find_first_not_of("0123456789") == std::string::npos && digits.size() < 4) {
      const int number = std::stoi(digits);
      if (number >= 1) return "/dev/ttyS" + std::to_string(number - 1);
    }
  }
  return portName;
}

bool SerialPort::IsSupportedBaud(int baud) {
  return StandardSpeed(baud).has_value() || IsArbitrarySpeed(baud);
}

void SerialPort::SetError(const std::string& what, int error) {
  m_error = what + std::strerror(error) + "\n";
}

bool SerialPort::Open(const std::string& portName, int baud) {
  Close();
  m_error.clear();
  const std::string path = DevicePath(portName);
  // Non-blocking, so a modem port without carrier does not hold the open.
  const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    SetError("", errno);
    return false;
  }
  // Exclusive: another program (or another viewer) that holds the port makes
  // it busy rather than shared.
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int error = errno;
    ::close(fd);
    m_error = error == EWOULDBLOCK ? "The port is in use by another program.\n"
                                   : std::string(std::strerror(error)) + "\n";
    return false;
  }
  termios settings{};
  if (::tcgetattr(fd, &settings) != 0) {
    SetError("Not a serial port: ", errno);
    ::close(fd);
    return false;
  }
  ::ioctl(fd, TIOCEXCL);
  ::cfmakeraw(&settings);
  settings.c_cflag &= ~(CSIZE | PARENB | CSTOPB | CRTSCTS);
  // CLOCAL: the carrier is watched here, through the modem lines, so a
  // dropped carrier never turns reads into end-of-file behind our back.
  // HUPCL: closing the port drops DTR, which hangs a modem up.
  settings.c_cflag |= CS8 | CREAD | CLOCAL | HUPCL;
  settings.c_iflag &= ~(IXON | IXOFF | IXANY);
  settings.c_cc[VMIN] = 0;
  settings.c_cc[VTIME] = 0;
  int lines = 0;
  // Hardware flow control only where the lines exist; a cable or adapter
  // without them would otherwise never be allowed to send.
  if (::ioctl(fd, TIOCMGET, &lines) == 0) settings.c_cflag |= CRTSCTS;
  if (const auto speed = StandardSpeed(baud)) ::cfsetspeed(&settings, *speed);
  if (::tcsetattr(fd, TCSANOW, &settings) != 0) {
    SetError("Could not set the line settings: ", errno);
    ::close(fd);
    return false;
  }
  if (IsArbitrarySpeed(baud) && !SetArbitraryBaud(fd, baud)) {
    m_error = "The port does not take " + std::to_string(baud) + " baud.\n";
    ::close(fd);
    return false;
  }
  m_fd = fd;
  m_counts.reset();
  SetDTR(true);
  TakeErrorNames();
  return true;
}

void SerialPort::Close() {
  if (m_fd < 0) return;
  ::close(m_fd);
  m_fd = -1;
}

int SerialPort::Read(uint8_t* buffer, size_t size, int totalMs, int intercharMs, int stopFd) {
  if (m_fd < 0) {
    m_error = "The port is closed.\n";
    return READ_FAILED;
  }
  const auto deadline = Clock::now() + std::chrono::milliseconds(totalMs < 0 ? 0 : totalMs);
  size_t got = 0;
  while (got < size) {
    int wait = MsLeft(deadline);
    if (got > 0 && intercharMs > 0 && intercharMs < wait) wait = intercharMs;
    const int ready = WaitFor(m_fd, POLLIN, wait, stopFd);
    if (ready == READ_STOPPED) return got > 0 ? static_cast<int>(got) : READ_STOPPED;
    if (ready < 0) {
      SetError("", errno);
      return READ_FAILED;
    }
    if (ready == 0) break;
    const ssize_t n = ::read(m_fd, buffer + got, size - got);
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
    if (n <= 0) {
      // The far end of a pseudo-terminal hung up (EIO), or the device went.
      if (got > 0) break;
      SetError("", n == 0 ? EIO : errno);
      return READ_FAILED;
    }
    got += static_cast<size_t>(n);
    if (MsLeft(deadline) == 0 && intercharMs <= 0) break;
  }
  return static_cast<int>(got);
}

bool SerialPort::Write(const uint8_t* data, size_t size, int timeoutMs, int stopFd) {
  if (m_fd < 0) {
    m_error = "The port is closed.\n";
    return false;
  }
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  size_t done = 0;
  while (done < size) {
    const ssize_t n = ::write(m_fd, data + done, size - done);
    if (n > 0) {
      done += static_cast<size_t>(n);
      continue;
    }
    if (n < 0 && errno != EAGAIN && errno != EINTR) {
      SetError("", errno);
      return false;
    }
    const int ready = WaitFor(m_fd, POLLOUT, MsLeft(deadline), stopFd);
    if (ready == READ_STOPPED) {
      m_error = "Stopped.\n";
      return false;
    }
    if (ready <= 0) {
      m_error = "Timed out writing to the port.\n";
      return false;
    }
  }
  return true;
}

void SerialPort::Flush() {
  if (m_fd >= 0) ::tcflush(m_fd, TCIOFLUSH);
}

std::optional<ModemLines> SerialPort::Lines() const {
  int bits = 0;
  if (m_fd < 0 || ::ioctl(m_fd, TIOCMGET, &bits) != 0) return std::nullopt;
  return ModemLines{(bits & TIOCM_CAR) != 0, (bits & TIOCM_DSR) != 0, (bits & TIOCM_RNG) != 0,
                    (bits & TIOCM_CTS) != 0};
}

bool SerialPort::SetDTR(bool on) {
  int bit = TIOCM_DTR;
  return m_fd >= 0 && ::ioctl(m_fd, on ? TIOCMBIS : TIOCMBIC, &bit) == 0;
}

std::string SerialPort::TakeErrorNames() {
  serial_icounter_struct counter{};
  if (m_fd < 0 || ::ioctl(m_fd, TIOCGICOUNT, &counter) != 0) return {};
  const Counts now{counter.frame, counter.overrun, counter.parity, counter.brk,
                   counter.buf_overrun};
  const Counts before = m_counts.value_or(now);
  m_counts = now;
  // In the order the line errors are always reported.
  std::string names;
  const auto add = [&](bool set, const char* name) {
    if (!set) return;
    if (!names.empty()) names += ' ';
    names += name;
  };
  add(now.brk != before.brk, "CE_BREAK");
  add(now.frame != before.frame, "CE_FRAME");
  add(now.overrun != before.overrun, "CE_OVERRUN");
  add(now.bufferOverrun != before.bufferOverrun, "CE_RXOVER");
  add(now.parity != before.parity, "CE_RXPARITY");
  return names;
}

}  // namespace platform

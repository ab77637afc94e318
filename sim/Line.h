#pragma once
// A serial line in raw mode: the master side of a pseudo-terminal the simulator opens itself,
// or an existing device. A pseudo-terminal has no modem control lines; that the viewer has
// its end open is all the line can tell about it.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

namespace sim {

// The viewer's end of the line is closed.
struct LineGone : std::runtime_error {
  LineGone() : std::runtime_error("the viewer closed the line") {}
};

// A viewer that stops reading must not hold the unit for ever.
constexpr std::chrono::milliseconds WRITE_LIMIT{10000};
struct WriteTimedOut : std::runtime_error {
  WriteTimedOut() : std::runtime_error("write timed out: the viewer does not read") {}
};

class Line {
 public:
  // A fresh pseudo-terminal; `Path()` names the end the viewer opens.
  static Line OpenPty();
  // Throws std::runtime_error when the device cannot be opened or set up.
  static Line OpenDevice(const std::string& path, int speed);

  Line(Line&& other) noexcept : m_fd(other.m_fd), m_path(std::move(other.m_path)) {
    other.m_fd = -1;
  }
  Line& operator=(Line&&) = delete;
  Line(const Line&) = delete;
  ~Line();

  const std::string& Path() const { return m_path; }
  // False while the viewer's end is closed (after it had been open).
  bool PeerPresent() const;
  // Waits up to `timeoutMs`; returns the bytes read, 0 when none came. Throws LineGone.
  std::size_t ReadSome(std::uint8_t* into, std::size_t n, int timeoutMs);
  // Waits up to `timeoutMs` for room; returns the bytes written, 0 while the viewer does not
  // read. Throws LineGone.
  std::size_t WriteSome(const std::uint8_t* bytes, std::size_t n, int timeoutMs);
  // Writes every byte; throws LineGone, or std::runtime_error when the viewer stops reading.
  void Write(const std::uint8_t* bytes, std::size_t n);
  void Write(const std::string& text) {
    Write(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
  }

 private:
  Line(int fd, std::string path) : m_fd(fd), m_path(std::move(path)) {}

  int m_fd = -1;
  std::string m_path;
};

}  // namespace sim

#include "DirectCable.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <thread>

#include "Log.h"
#include "Negotiation.h"

namespace sim {

namespace {
constexpr std::size_t MAX_LINE = 256;
}

DirectCable::DirectCable(Line& line, int speed, const std::atomic<bool>& stop)
    : m_line(line), m_speed(speed), m_stop(stop) {}

bool DirectCable::HandShake() {
  std::string typed;
  bool answered = false;
  std::uint8_t buffer[256];
  while (!m_stop) {
    std::size_t got = 0;
    try {
      got = m_line.ReadSome(buffer, sizeof buffer, 50);
    } catch (const LineGone&) {
      typed.clear();
      answered = false;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
      continue;
    }
    for (std::size_t i = 0; i < got; ++i) {
      const char c = static_cast<char>(buffer[i]);
      // Only after the answer may a byte be the start of the viewer's request rather than noise.
      if (answered && typed.empty() && buffer[i] == NEG_REQUEST) {
        m_pending.assign(buffer + i, buffer + got);
        return true;
      }
      if (c == '\r') {
        std::string upper;
        for (char t : typed)
          upper += static_cast<char>(std::toupper(static_cast<unsigned char>(t)));
        if (upper.find("ATD") != std::string::npos) {
          Log("the viewer dialled on the cable");
          m_line.Write("\r\nCONNECT " + std::to_string(m_speed) + "\r\n");
          answered = true;
        }
        typed.clear();
      } else if (c != '\n' && typed.size() < MAX_LINE) {
        typed += c;
      }
    }
  }
  return false;
}

std::size_t DirectCable::ReadSome(std::uint8_t* into, std::size_t n, int timeoutMs) {
  if (m_pending.empty()) return m_line.ReadSome(into, n, timeoutMs);
  const std::size_t taken = std::min(n, m_pending.size());
  std::copy_n(m_pending.begin(), taken, into);
  m_pending.erase(m_pending.begin(), m_pending.begin() + static_cast<std::ptrdiff_t>(taken));
  return taken;
}

void DirectCable::Linger(int lingerMs) {
  const auto end = Clock::now() + std::chrono::milliseconds(lingerMs);
  std::uint8_t sink[4096];
  try {
    while (!m_stop && Clock::now() < end) ReadSome(sink, sizeof sink, 50);
  } catch (const std::runtime_error&) {
    // The viewer has closed its end.
  }
}

}  // namespace sim

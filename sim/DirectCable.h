#pragma once
// The unit on a null-modem cable: no modem in between, but the unit's serial port answers the
// viewer's dial command as a modem would, so the viewer knows the unit is there.

#include <atomic>

#include "Line.h"
#include "Link.h"

namespace sim {

class DirectCable : public Link {
 public:
  DirectCable(Line& line, int speed, const std::atomic<bool>& stop);

  // Answers every "ATD" with CONNECT until the viewer starts the negotiation; false when the
  // unit is told to stop first.
  bool HandShake();

  using Link::SendAll;
  void SendAll(const std::uint8_t* bytes, std::size_t n) override { m_line.Write(bytes, n); }
  std::size_t ReadSome(std::uint8_t* into, std::size_t n, int timeoutMs) override;
  // Waits for the viewer to close its end.
  void Linger(int lingerMs) override;

 private:
  Line& m_line;
  const int m_speed;
  const std::atomic<bool>& m_stop;
  Bytes m_pending;  // read during the hand-shake, not yet taken by the session
};

}  // namespace sim

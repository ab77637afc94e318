#pragma once
// Line noise on the packets the unit sends: now and then a burst of random bytes before a
// packet, or a packet whose checksum no longer matches. Seeded, so a run can be repeated.

#include <random>

#include "Bytes.h"

namespace sim {

class LineNoise {
 public:
  // `rate`: the share of packets hit, 0 to 1.
  explicit LineNoise(double rate) : m_rate(rate) {}

  // The bytes the line delivers for one packet on the wire.
  Bytes Apply(Bytes wire);

 private:
  double m_rate;
  std::mt19937 m_random{2026};
};

}  // namespace sim

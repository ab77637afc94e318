#pragma once
// What the unit keeps to answer RESEND_FROM after line errors: every packet except video, as
// it went out, numbered as the viewer counts the packets it takes in. Video is not kept: a lost
// picture is sent again whole instead.

#include <cstdint>
#include <deque>
#include <vector>

#include "Packet.h"

namespace sim {

class ResendLog {
 public:
  void Record(const Packet& packet, const Bytes& wire);
  // The packets after the first `received` ones; all that are kept when older ones are asked.
  std::vector<Bytes> After(std::uint32_t received) const;

 private:
  std::deque<Bytes> m_kept;
  std::uint32_t m_forgotten = 0;  // the oldest ones, no longer kept
};

// The run of `count` ERROR_RESYNC headers that tells the viewer where the stream starts again:
// marker k of N carries k and N in its subtype and encrypted-flag bytes.
Bytes MarkerRun(int count);

}  // namespace sim

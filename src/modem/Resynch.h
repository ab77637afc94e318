#pragma once
// Finding the packet stream again after line errors. The viewer has asked the
// unit to resend; the unit answers with a run of N marker headers (type
// ERROR_RESYNC, no payload, the k-th carrying k and N) before the resent
// packets. The search reads the raw line until one marker, skips the rest of
// the run, and so leaves the line at a packet boundary.

#include "modem/ModemLine.h"

namespace modem {

// The longest marker run taken as real.
inline constexpr int MAX_MARKERS = 20;

// True once aligned; false when the time limit (ms) passed, the line failed
// or a stop came. Runs on the monitor thread.
bool WaitForResynch(ModemLine& line, int timeLimitMs);

}  // namespace modem

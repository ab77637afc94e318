#include "session/LineSpeed.h"

namespace session {

int32_t LineRate(uint32_t sentTick, uint32_t nowTick) {
  // The tick count wraps; the difference taken in 32 bits stays right. Adding
  // the millisecond in 64 bits keeps any stamp the unit echoes (even one a
  // millisecond ahead of us) from dividing by zero.
  const uint64_t elapsed = static_cast<uint64_t>(nowTick - sentTick) + 1;
  return static_cast<int32_t>(10000 / elapsed * 8000);
}

const char* CompressionFor(int32_t rate) { return rate <= ZLIB_RATE_LIMIT ? "ZLib" : "RLE"; }

}  // namespace session

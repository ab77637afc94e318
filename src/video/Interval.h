#pragma once
// One horizontal run of pixels on one row, as the decoder hands it to the
// frame buffer: the unit's 16-bit colour codes (big-endian, as they arrived),
// expanded only as they are stored, so no pixel is copied twice. Code 0 leaves
// its pixel as it is. The codes live in the decoder's buffers until the next
// packet; `codes` says how many bytes there are, so a reader never runs past them.

#include <cstdint>
#include <span>

namespace video {

// The widest run an interval carries; a longer run becomes several intervals.
inline constexpr int32_t MAX_INTERVAL_PIXELS = 1600;
inline constexpr uint16_t UNCHANGED_CODE = 0;

struct Interval {
  // Pixels in the run; zero or less writes nothing.
  int32_t count = 0;
  int32_t y = 0;
  int32_t x = 0;
  std::span<const uint8_t> codes;

  bool IsFull() const { return count >= MAX_INTERVAL_PIXELS; }
};

}  // namespace video

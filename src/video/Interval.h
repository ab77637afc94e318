#pragma once
// One horizontal run of decoded pixels on one row, as the decoder hands it to
// the frame buffer. Each pixel is either the single byte UNCHANGED_PIXEL or
// three bytes blue, green, red; `length` says how many data bytes are in use,
// so nothing reading an interval ever runs past what the decoder wrote.

#include <array>
#include <cstddef>
#include <cstdint>

namespace video {

// The widest run an interval carries; a longer run becomes several intervals.
inline constexpr int32_t MAX_INTERVAL_PIXELS = 1600;
inline constexpr size_t MAX_INTERVAL_BYTES = 3 * MAX_INTERVAL_PIXELS;
// A data byte that leaves its pixel as it is. No colour the viewer stores
// starts with it.
inline constexpr uint8_t UNCHANGED_PIXEL = 1;

struct Interval {
  // Pixels in the run; zero or less writes nothing.
  int32_t count = 0;
  int32_t y = 0;
  int32_t x = 0;
  uint32_t length = 0;
  // One spare byte lets the decoder store a pixel as a four-byte word.
  std::array<uint8_t, MAX_INTERVAL_BYTES + 1> data{};

  bool IsFull() const { return count >= MAX_INTERVAL_PIXELS; }
  void Start(int32_t column, int32_t row) {
    count = 0;
    x = column;
    y = row;
    length = 0;
  }
};

}  // namespace video

#pragma once
// The millisecond clock the frame buffer's parts read, replaceable in tests.

#include <cstdint>
#include <functional>

namespace video {

using TickSource = std::function<uint32_t()>;

// 0 means "none" in the tick fields that hold a moment, so a tick that happens
// to be 0 is moved on.
inline uint32_t NonZeroTick(const TickSource& ticks) {
  const uint32_t tick = ticks();
  return tick == 0 ? 1 : tick;
}

}  // namespace video

#pragma once
// The two mouse gestures that leave pass-through without a key: a long
// movement in one direction (slow exit) and a burst of fast movement (fast
// exit). Their state outlasts a pass-through period; the ring of recent
// movement sizes is cleared only when a fast exit fires.

#include <array>
#include <cstddef>
#include <cstdint>

namespace input {

inline constexpr uint32_t FAST_EXIT_WINDOW_MS = 1000;
inline constexpr size_t FAST_EXIT_SAMPLES = 15;

// Whether diff keeps to the direction seen so far (none yet, or no movement,
// counts as keeping to it); a turn makes diff the new direction.
bool bDirectionSame(int32_t total, int32_t diff, int32_t& direction);

// One axis of the slow exit: the distance moved without turning back.
class SlowExitAxis {
 public:
  // Adds one movement; true when the distance has passed the threshold with
  // the gesture on, which starts the count again.
  bool Add(int32_t diff, int32_t threshold, bool enabled);

 private:
  int32_t m_total = 0;
  int32_t m_direction = 0;
};

// The sizes |dx + dy| of the last 15 movements that came less than a second
// after the one before.
class FastExitRing {
 public:
  // Adds one movement made at the millisecond tick now; true when the ring is
  // full and its sum passes the threshold with the gesture on (the ring is
  // then cleared).
  bool Add(int32_t dx, int32_t dy, uint32_t now, int32_t threshold, bool enabled);

 private:
  std::array<int32_t, FAST_EXIT_SAMPLES> m_sizes{};
  size_t m_index = 0;
  size_t m_samples = 0;
  uint32_t m_lastTick = 0;
};

}  // namespace input

#include "input/MouseGestures.h"

#include <cstdlib>
#include <numeric>

#include "platform/Trace.h"

namespace input {
namespace {

constexpr int DIRECTION_CATEGORY = 1210;
constexpr int GESTURE_CATEGORY = 1201;

}  // namespace

bool bDirectionSame(int32_t total, int32_t diff, int32_t& direction) {
  TraceCategory(3, DIRECTION_CATEGORY, "total = %d    diff = %d    direction = %d\n", total, diff,
                direction);
  if (diff == 0) return true;
  if (direction == 0 || (diff < 0) == (direction < 0)) {
    if (direction == 0) direction = diff;
    return true;
  }
  TraceCategory(3, DIRECTION_CATEGORY, "FAILED\n");
  direction = diff;
  return false;
}

bool SlowExitAxis::Add(int32_t diff, int32_t threshold, bool enabled) {
  if (!bDirectionSame(m_total, diff, m_direction)) {
    m_total = 0;
    return false;
  }
  m_total += std::abs(diff);
  if (m_total <= threshold || !enabled) return false;
  m_total = 0;
  return true;
}

bool FastExitRing::Add(int32_t dx, int32_t dy, uint32_t now, int32_t threshold, bool enabled) {
  bool fired = false;
  if (now - m_lastTick < FAST_EXIT_WINDOW_MS) {
    m_index = (m_index + 1) % FAST_EXIT_SAMPLES;
    m_sizes[m_index] = std::abs(dx + dy);
    if (m_samples < FAST_EXIT_SAMPLES) ++m_samples;
    if (m_samples == FAST_EXIT_SAMPLES) {
      const int32_t sum = std::accumulate(m_sizes.begin(), m_sizes.end(), 0);
      if (sum > threshold && enabled) {
        m_sizes.fill(0);
        m_samples = 0;
        TraceCategory(5, GESTURE_CATEGORY, "Fast Exit: passthrough total= %d   threshold= %d\n",
                      sum, threshold);
        fired = true;
      }
    }
  }
  m_lastTick = now;
  return fired;
}

}  // namespace input

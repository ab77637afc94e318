#include "input/KeyPacer.h"

#include <utility>

#include "platform/TextError.h"

namespace input {

KeyPacer::KeyPacer(platform::WindowThread& window, std::function<bool()> held)
    : m_held(std::move(held)), m_timer(window) {}

void KeyPacer::Queue(std::vector<Step> steps, uint32_t gapMs, FailureHandler onFailure) {
  const uint64_t run = m_nextRun++;
  const bool idle = IsIdle();
  for (Step& step : steps) m_waiting.push_back({std::move(step), gapMs, run, onFailure});
  if (m_running) return;  // a step in progress arms the timer when it is done
  if (idle)
    RunNext();
  else
    ArmTimer();
}

void KeyPacer::RunNext() {
  // A step in progress may meet the timer's tick: the next step waits its turn.
  if (m_running || m_waiting.empty()) return;
  if (m_held && m_held()) {
    ArmTimer();
    return;
  }
  Waiting next = std::move(m_waiting.front());
  m_waiting.pop_front();
  m_running = true;
  std::string failure;
  try {
    next.step();
  } catch (const TextError& e) {
    failure = e.Text();
  } catch (const std::exception& e) {
    failure = e.what();
  }
  m_running = false;
  if (!failure.empty()) {
    std::erase_if(m_waiting, [&](const Waiting& waiting) { return waiting.run == next.run; });
    if (next.onFailure) next.onFailure(failure);
  }
  ArmTimer();
}

// The timer runs at the gap of the step that waits next, and only while one does.
void KeyPacer::ArmTimer() {
  if (m_waiting.empty()) {
    m_timer.Stop();
    return;
  }
  const uint32_t gap = m_waiting.front().gapMs;
  if (m_timer.IsActive() && gap == m_armedGapMs) return;
  m_timer.Start(gap, [this] { RunNext(); });
  m_armedGapMs = gap;
}

}  // namespace input

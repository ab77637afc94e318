#pragma once
// Keys that must reach the unit a pause apart (the fixed Ctrl-Alt-Del and
// Alt-Tab sequences, typed text) are paced by a timer of the window thread,
// so the window thread never sleeps and every other message is handled in
// between. A run queued while another is still going follows it, so the keys
// of two runs never mix.

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/WindowThread.h"

namespace input {

class KeyPacer {
 public:
  using Step = std::function<void()>;
  // Told the failure text of a step that threw; the rest of its run is dropped.
  using FailureHandler = std::function<void(const std::string&)>;

  // While held() says so, no step runs; the next waits its turn.
  explicit KeyPacer(platform::WindowThread& window, std::function<bool()> held = {});
  KeyPacer(const KeyPacer&) = delete;
  KeyPacer& operator=(const KeyPacer&) = delete;

  // The steps run in order, gapMs apart; the first at once when nothing is
  // waiting, otherwise gapMs after the last step before it.
  void Queue(std::vector<Step> steps, uint32_t gapMs, FailureHandler onFailure);
  bool IsIdle() const { return m_waiting.empty() && !m_running; }

 private:
  struct Waiting {
    Step step;
    uint32_t gapMs;
    uint64_t run;
    FailureHandler onFailure;
  };

  void RunNext();
  void ArmTimer();

  std::function<bool()> m_held;
  platform::Timer m_timer;
  std::deque<Waiting> m_waiting;
  uint64_t m_nextRun = 1;
  bool m_running = false;
  uint32_t m_armedGapMs = 0;
};

}  // namespace input

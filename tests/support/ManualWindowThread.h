#pragma once
// A window thread whose clock moves only when the test moves it: timers fire
// in Advance(), in order of their due times; posted tasks wait for
// RunPending(), which also fires the timers already due. Single-threaded: the
// test's own thread is the window thread.

#include <algorithm>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>

#include "platform/WindowThread.h"

class ManualWindowThread : public platform::WindowThread {
 public:
  bool Post(platform::Task task) override {
    m_queue.push_back(std::move(task));
    return true;
  }
  platform::TimerId StartTimer(uint32_t periodMs, bool repeating, platform::Task tick) override {
    const platform::TimerId id = m_nextTimerId++;
    const uint64_t period = periodMs == 0 ? 1 : periodMs;
    m_timers[id] = Timer{period, m_now + period, std::move(tick), false, repeating};
    return id;
  }
  void StopTimer(platform::TimerId id) override { m_timers.erase(id); }
  void RunPending() {
    FireUntil(m_now);
    for (size_t waiting = m_queue.size(); waiting > 0 && !m_queue.empty(); --waiting) {
      platform::Task task = std::move(m_queue.front());
      m_queue.pop_front();
      task();
    }
  }

  // Moves the clock on, firing every tick that falls due on the way.
  void Advance(uint64_t ms) {
    const uint64_t end = m_now + ms;
    FireUntil(end);
    m_now = end;
  }
  // Time passes with the thread busy elsewhere: ticks fall due but wait.
  void Skip(uint64_t ms) { m_now += ms; }
  uint64_t Now() const { return m_now; }
  size_t RunningTimers() const { return m_timers.size(); }


 private:
  struct Timer {
    uint64_t period;
    uint64_t due;
    platform::Task callback;
    bool running = false;
    bool repeating = true;
  };

  void FireUntil(uint64_t end) {
    for (;;) {
      auto next = m_timers.end();
      for (auto it = m_timers.begin(); it != m_timers.end(); ++it)
        if (!it->second.running && it->second.due <= end &&
            (next == m_timers.end() || it->second.due < next->second.due))
          next = it;
      if (next == m_timers.end()) break;
      // As a real loop: a timer does not fire again inside its own tick.
      const uint64_t id = next->first;
      m_now = std::max(m_now, next->second.due);
      next->second.due = m_now + next->second.period;
      next->second.running = true;
      const platform::Task callback = next->second.callback;
      if (!next->second.repeating) m_timers.erase(next);
      if (callback) callback();
      if (auto it = m_timers.find(id); it != m_timers.end()) it->second.running = false;
    }
  }

  uint64_t m_now = 0;
  std::deque<platform::Task> m_queue;
  std::map<uint64_t, Timer> m_timers;
  platform::TimerId m_nextTimerId = 1;
};

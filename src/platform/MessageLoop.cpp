#include "platform/MessageLoop.h"

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>


namespace platform {

MessageLoop::~MessageLoop() = default;

bool MessageLoop::Post(Task task) {
  {
    std::lock_guard lock(m_mutex);
    if (m_quit) return false;
    m_queue.push_back(std::move(task));
  }
  m_wake.notify_all();
  return true;
}

TimerId MessageLoop::StartTimer(uint32_t periodMs, bool repeating, Task tick) {
  const std::chrono::milliseconds period(std::max<uint32_t>(periodMs, 1));
  TimerId id;
  {
    std::lock_guard lock(m_mutex);
    id = m_nextTimerId++;
    m_timers[id] =
        Timer{period, Clock::now() + period, std::move(tick), m_nextGeneration++, false, repeating};
  }
  m_wake.notify_all();
  return id;
}

void MessageLoop::StopTimer(TimerId id) {
  std::lock_guard lock(m_mutex);
  m_timers.erase(id);
}

void MessageLoop::Run() { Loop(nullptr, std::nullopt); }

void MessageLoop::RunFor(uint32_t milliseconds) {
  Loop(nullptr, Clock::now() + std::chrono::milliseconds(milliseconds));
}

bool MessageLoop::RunUntil(const std::function<bool()>& done, uint32_t timeoutMs) {
  return Loop(done, Clock::now() + std::chrono::milliseconds(timeoutMs));
}

void MessageLoop::RunPending() {
  // Only what is waiting now: a task that posts another must not keep this
  // running for ever.
  size_t waiting;
  {
    std::lock_guard lock(m_mutex);
    waiting = m_queue.size();
  }
  FireDueTimers();
  for (size_t i = 0; i < waiting && RunOneTask(); ++i) FireDueTimers();
}

void MessageLoop::Quit() {
  {
    std::lock_guard lock(m_mutex);
    m_quit = true;
  }
  m_wake.notify_all();
}

bool MessageLoop::HasQuit() const {
  std::lock_guard lock(m_mutex);
  return m_quit;
}

size_t MessageLoop::QueuedCount() const {
  std::lock_guard lock(m_mutex);
  return m_queue.size();
}

bool MessageLoop::Loop(const std::function<bool()>& done,
                       std::optional<Clock::time_point> deadline) {
  for (;;) {
    if (done && done()) return true;
    if (HasQuit()) return false;
    if (deadline && Clock::now() >= *deadline) return false;
    // Timers get their turn before every message, so a busy queue cannot
    // starve the keep-alive watch.
    const bool fired = FireDueTimers();
    if (RunOneTask() || fired) continue;

    std::unique_lock lock(m_mutex);
    auto wakeAt = NextTimerDue();
    if (deadline && (!wakeAt || *deadline < *wakeAt)) wakeAt = deadline;
    const auto ready = [this] { return m_quit || !m_queue.empty(); };
    if (wakeAt) {
      m_wake.wait_until(lock, *wakeAt, ready);
    } else {
      m_wake.wait(lock, ready);
    }
  }
}

std::optional<MessageLoop::Clock::time_point> MessageLoop::NextTimerDue() const {
  std::optional<Clock::time_point> next;
  for (const auto& [id, timer] : m_timers) {
    if (!timer.running && (!next || timer.due < *next)) next = timer.due;
  }
  return next;
}

bool MessageLoop::FireDueTimers() {
  // Collect first and fire one at a time: a tick may start or stop timers.
  std::vector<uint64_t> due;
  {
    std::lock_guard lock(m_mutex);
    const auto now = Clock::now();
    for (const auto& [id, timer] : m_timers) {
      if (!timer.running && timer.due <= now) due.push_back(id);
    }
  }
  bool fired = false;
  for (uint64_t id : due) {
    Task tick;
    uint64_t generation;
    {
      std::lock_guard lock(m_mutex);
      auto it = m_timers.find(id);
      const auto now = Clock::now();
      if (it == m_timers.end() || it->second.running || it->second.due > now) continue;
      Timer& timer = it->second;
      timer.running = true;
      timer.due += timer.period;
      if (timer.due <= now) timer.due = now + timer.period;
      tick = timer.tick;
      generation = timer.generation;
      // A single shot is gone before it runs, so it may start itself anew.
      if (!timer.repeating) m_timers.erase(it);
    }
    struct Finish {
      MessageLoop& loop;
      uint64_t id;
      uint64_t generation;
      ~Finish() {
        std::lock_guard lock(loop.m_mutex);
        auto it = loop.m_timers.find(id);
        if (it != loop.m_timers.end() && it->second.generation == generation) {
          it->second.running = false;
        }
      }
    } finish{*this, id, generation};
    fired = true;
    if (tick) tick();
  }
  return fired;
}

bool MessageLoop::RunOneTask() {
  Task task;
  {
    std::lock_guard lock(m_mutex);
    if (m_queue.empty()) return false;
    task = std::move(m_queue.front());
    m_queue.pop_front();
  }
  task();
  return true;
}

}  // namespace platform

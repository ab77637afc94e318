#pragma once
// The window thread of the command-line client and of the tests: a queue of
// posted tasks and a set of timers, run by whichever thread calls Run(),
// RunFor(), RunUntil() or RunPending(). Those are for the top of a program or
// a test, never for a task: a task that needs to wait continues on a timer.

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>

#include "platform/WindowThread.h"

namespace platform {

class MessageLoop : public WindowThread {
 public:
  MessageLoop() = default;
  ~MessageLoop() override;
  MessageLoop(const MessageLoop&) = delete;
  MessageLoop& operator=(const MessageLoop&) = delete;

  bool Post(Task task) override;
  TimerId StartTimer(uint32_t periodMs, bool repeating, Task tick) override;
  void StopTimer(TimerId id) override;

  // Runs tasks and timers until Quit(). An exception a task lets out leaves
  // through the Run call that ran it.
  void Run();
  // Like Run(), but returns after the given time at the latest.
  void RunFor(uint32_t milliseconds);
  // Runs until done() is true (checked before each task); false when the
  // time ran out or Quit() came first.
  bool RunUntil(const std::function<bool()>& done, uint32_t timeoutMs);
  // Runs the tasks already waiting and the timers already due, then returns.
  void RunPending();

  // From any thread: ends Run() once the task in progress returns. The loop
  // refuses tasks from then on; those still queued are released with it.
  void Quit();
  bool HasQuit() const;
  size_t QueuedCount() const;

 private:
  using Clock = std::chrono::steady_clock;

  struct Timer {
    std::chrono::milliseconds period;
    Clock::time_point due;
    Task tick;
    uint64_t generation = 0;
    bool running = false;
    bool repeating = true;
  };

  bool Loop(const std::function<bool()>& done, std::optional<Clock::time_point> deadline);
  bool FireDueTimers();
  bool RunOneTask();
  std::optional<Clock::time_point> NextTimerDue() const;  // caller holds m_mutex

  mutable std::mutex m_mutex;
  std::condition_variable m_wake;
  std::deque<Task> m_queue;
  std::map<TimerId, Timer> m_timers;
  uint64_t m_nextGeneration = 1;
  TimerId m_nextTimerId = 1;
  bool m_quit = false;
};

}  // namespace platform

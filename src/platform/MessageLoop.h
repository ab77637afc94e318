#pragma once
// The window thread of the command-line client and of the tests: a queue of
// posted messages and a set of timers, run by whichever thread calls Run(),
// RunFor(), RunUntil() or PumpPending().

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
  // Receives every posted message and every WM_TIMER of a message timer. An
  // exception it lets out leaves through the Run/Pump call that dispatched it.
  using Dispatcher = std::function<void(Message&)>;

  explicit MessageLoop(Dispatcher dispatcher = {});
  ~MessageLoop() override;
  MessageLoop(const MessageLoop&) = delete;
  MessageLoop& operator=(const MessageLoop&) = delete;

  // Replaces the dispatcher; call it while the loop is not dispatching.
  void SetDispatcher(Dispatcher dispatcher);

  bool Post(Message message) override;
  bool Post(Task task) override;
  TimerId StartTimer(uint32_t periodMs, bool repeating, Task tick) override;
  void StopTimer(TimerId id) override;
  void PumpPending() override;
  bool PumpUntil(const std::function<bool()>& done, uint32_t timeoutMs) override {
    return RunUntil(done, timeoutMs);
  }
  void SetTimer(uint32_t id, uint32_t periodMs, TimerCallback callback) override;
  void SetMessageTimer(WindowId window, uint32_t id, uint32_t periodMs) override;
  void KillTimer(uint32_t id) override;

  // Dispatches messages and timers until Quit().
  void Run();
  // Like Run(), but returns after the given time at the latest.
  void RunFor(uint32_t milliseconds);
  // Runs until done() is true (checked before each dispatch); false when the
  // time ran out or Quit() came first.
  bool RunUntil(const std::function<bool()>& done, uint32_t timeoutMs);

  // From any thread: ends Run() once the handler in progress returns. The loop
  // refuses messages from then on; those still queued are released with it.
  void Quit();
  bool HasQuit() const;
  size_t QueuedCount() const;

 private:
  using Clock = std::chrono::steady_clock;

  struct Timer {
    std::chrono::milliseconds period;
    Clock::time_point due;
    TimerCallback callback;
    std::optional<WindowId> window;
    uint64_t generation = 0;
    bool running = false;
    bool repeating = true;
  };

  void StartTimer(uint64_t id, uint32_t periodMs, TimerCallback callback,
                  std::optional<WindowId> window, bool repeating = true);
  bool Loop(const std::function<bool()>& done, std::optional<Clock::time_point> deadline);
  bool FireDueTimers();
  bool RunOneTask();
  void Dispatch(Message& message);
  std::optional<Clock::time_point> NextTimerDue() const;  // caller holds m_mutex

  Dispatcher m_dispatcher;
  mutable std::mutex m_mutex;
  std::condition_variable m_wake;
  std::deque<Task> m_queue;
  std::map<uint64_t, Timer> m_timers;
  // Ids of StartTimer lie above every id a caller of SetTimer can choose.
  TimerId m_nextTimerId = TimerId{1} << 32;
  uint64_t m_nextGeneration = 1;
  bool m_quit = false;
};

}  // namespace platform

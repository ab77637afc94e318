#pragma once
// The window thread: the one thread that runs every operator-visible action.
// It is a task runner: other threads reach it only by posting tasks, and
// whatever a task carries (a packet, a text) travels inside it and is released
// by the window thread, or by the queue if the task never runs. Nothing runs
// the queue from inside a task: a wait for a reply or a pause is a timer or a
// callback that continues the work later.

#include <cstdint>
#include <functional>
#include <utility>

namespace platform {

// A piece of work for the window thread.
using Task = std::function<void()>;
// Names a running timer of one window thread; 0 names none.
using TimerId = uint64_t;

class WindowThread {
 public:
  virtual ~WindowThread() = default;

  // Queues a task from any thread, to run on the window thread after what is
  // already queued. False when the thread no longer runs tasks; the task is
  // then destroyed at once, on the caller's thread.
  virtual bool Post(Task task) = 0;

  // Window thread only. Runs tick every periodMs (repeating) or once after
  // periodMs, on the window thread. Ticks that could not run in time are
  // merged into one, and a timer never fires again while its own previous
  // tick is still running. Owners hold a Timer (below) rather than the id.
  virtual TimerId StartTimer(uint32_t periodMs, bool repeating, Task tick) = 0;
  // Stops a timer; unknown or finished ids are ignored. Safe inside its own tick.
  virtual void StopTimer(TimerId id) = 0;

  // Runs task once after delayMs; for work that needs no owner to outlive it.
  void PostDelayed(uint32_t delayMs, Task task) { StartTimer(delayMs, false, std::move(task)); }
};

// A timer owned by the object whose work it runs: it stops when started anew
// and when destroyed, so a tick never reaches an owner that is gone.
class Timer {
 public:
  explicit Timer(WindowThread& thread) : m_thread(thread) {}
  ~Timer() { Stop(); }
  Timer(const Timer&) = delete;
  Timer& operator=(const Timer&) = delete;

  // Runs tick every periodMs until stopped.
  void Start(uint32_t periodMs, Task tick) {
    Stop();
    m_id = m_thread.StartTimer(periodMs, true, std::move(tick));
  }
  // Runs task once after delayMs, unless stopped first.
  void StartOnce(uint32_t delayMs, Task task) {
    Stop();
    const uint64_t generation = ++m_generation;
    m_id = m_thread.StartTimer(delayMs, false, [this, generation, task = std::move(task)] {
      if (generation == m_generation) m_id = 0;
      task();
    });
  }
  void Stop() {
    ++m_generation;
    if (m_id != 0) m_thread.StopTimer(std::exchange(m_id, 0));
  }
  bool IsActive() const { return m_id != 0; }

 private:
  WindowThread& m_thread;
  TimerId m_id = 0;
  uint64_t m_generation = 0;
};

}  // namespace platform

#pragma once
// The window thread: the one thread that runs every operator-visible action.
// Other threads reach it only by posting messages; whatever a message carries
// (a packet block, a text) travels with it as an owned body and is released by
// the window thread, or by the queue if the message is never delivered.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>

namespace platform {

// The payload a message owns. Derive from it for each kind of payload.
class MessageBody {
 public:
  virtual ~MessageBody() = default;
};

// A text handed to the window thread (the show-message requests).
class TextBody : public MessageBody {
 public:
  explicit TextBody(std::string text) : m_text(std::move(text)) {}
  const std::string& Text() const { return m_text; }

 private:
  std::string m_text;
};

// Which of the owner's windows a message is for; the owner routes on it.
enum class WindowId : uint8_t { MainWindow, View };

struct Message {
  WindowId window = WindowId::View;
  uint32_t message = 0;
  uintptr_t wParam = 0;
  intptr_t lParam = 0;
  std::unique_ptr<MessageBody> body;

  // The body as a T, or nullptr when there is none or it is of another kind.
  template <class T>
  T* BodyAs() const {
    return dynamic_cast<T*>(body.get());
  }
};

inline Message MakeMessage(WindowId window, uint32_t message, uintptr_t wParam = 0,
                           intptr_t lParam = 0, std::unique_ptr<MessageBody> body = nullptr) {
  return Message{window, message, wParam, lParam, std::move(body)};
}

using TimerCallback = std::function<void()>;

// A piece of work for the window thread.
using Task = std::function<void()>;
// Names a running timer of one window thread; 0 names none.
using TimerId = uint64_t;

class WindowThread {
 public:
  virtual ~WindowThread() = default;

  // Queues a message from any thread. False when the thread no longer takes
  // messages; the message and its body are then released at once.
  virtual bool Post(Message message) = 0;
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

  // Dispatches the messages already waiting and the timers already due, then
  // returns. Called on the window thread, also from inside a handler (reply
  // waits, timed messages, lock-key setting).
  virtual void PumpPending() = 0;
  // Dispatches messages and timers as they come until done() is true (checked
  // before each dispatch) or the time has passed; false on time-out. The
  // window thread's way to wait for something without sleeping, also from
  // inside a handler (the reply waits).
  virtual bool PumpUntil(const std::function<bool()>& done, uint32_t timeoutMs) = 0;

  // Starts, or restarts with a new period, timer id, which runs the callback
  // every periodMs on the window thread. Ticks that could not run in time are
  // merged into one, and a timer never fires again while its own previous tick
  // is still being handled (a nested pump inside the callback skips it).
  virtual void SetTimer(uint32_t id, uint32_t periodMs, TimerCallback callback) = 0;
  // The same, delivering WM_TIMER with wParam = id to the window instead.
  virtual void SetMessageTimer(WindowId window, uint32_t id, uint32_t periodMs) = 0;
  // Stops timer id; unknown ids are ignored. Safe from inside its own callback.
  virtual void KillTimer(uint32_t id) = 0;
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

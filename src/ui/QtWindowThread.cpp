#include "ui/QtWindowThread.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <algorithm>
#include <chrono>

#include "platform/TextError.h"
#include "platform/Trace.h"
#include "platform/WindowMessages.h"

namespace ui {
namespace {

const QEvent::Type MESSAGE_EVENT = static_cast<QEvent::Type>(QEvent::registerEventType());

// A posted task on its way through Qt's queue; Qt deletes it, and with it
// whatever the task holds, also when it is never run.
class TaskEvent : public QEvent {
 public:
  explicit TaskEvent(platform::Task task) : QEvent(MESSAGE_EVENT), m_task(std::move(task)) {}
  void Run() { m_task(); }

 private:
  platform::Task m_task;
};

// The nested wait wakes at least this often to look at its condition.
constexpr int WAKE_SLICE_MS = 20;

}  // namespace

QtWindowThread::QtWindowThread(Dispatcher dispatcher) : m_dispatcher(std::move(dispatcher)) {}

QtWindowThread::~QtWindowThread() {
  Close();
  for (auto& [id, timer] : m_timers) delete timer.timer;
}

void QtWindowThread::SetDispatcher(Dispatcher dispatcher) { m_dispatcher = std::move(dispatcher); }

void QtWindowThread::Close() {
  std::lock_guard lock(m_postMutex);
  m_closed = true;
}

bool QtWindowThread::Post(platform::Message message) {
  auto held = std::make_shared<platform::Message>(std::move(message));
  return Post([this, held] { Dispatch(*held); });
}

bool QtWindowThread::Post(platform::Task task) {
  std::lock_guard lock(m_postMutex);
  if (m_closed) return false;
  QCoreApplication::postEvent(this, new TaskEvent(std::move(task)));
  return true;
}

// Qt's event handlers must not throw: a failure no task caught is traced and
// the window goes on.
void QtWindowThread::customEvent(QEvent* event) {
  if (event->type() != MESSAGE_EVENT) return;
  try {
    static_cast<TaskEvent*>(event)->Run();
  } catch (const TextError& e) {
    Trace("Unhandled failure in a window task:\n%s\n", e.Text().c_str());
  } catch (const std::exception& e) {
    Trace("Unhandled failure in a window task: %s\n", e.what());
  }
}

// Qt's event handlers must not throw: a failure no handler caught is traced
// and the window goes on.
void QtWindowThread::Dispatch(platform::Message& message) {
  if (!m_dispatcher) return;
  try {
    m_dispatcher(message);
  } catch (const TextError& e) {
    Trace("Unhandled failure in message 0x%x:\n%s\n", message.message, e.Text().c_str());
  } catch (const std::exception& e) {
    Trace("Unhandled failure in message 0x%x: %s\n", message.message, e.what());
  }
}

void QtWindowThread::PumpPending() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

bool QtWindowThread::PumpUntil(const std::function<bool()>& done, uint32_t timeoutMs) {
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!done()) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) return false;
    // The wake timer bounds the blocking wait when no event comes.
    QTimer wake;
    wake.setSingleShot(true);
    wake.start(static_cast<int>(std::min<int64_t>(left, WAKE_SLICE_MS)));
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
  }
  return true;
}

void QtWindowThread::SetTimer(uint32_t id, uint32_t periodMs, platform::TimerCallback callback) {
  Start(id, periodMs, true, std::move(callback));
}

platform::TimerId QtWindowThread::StartTimer(uint32_t periodMs, bool repeating,
                                             platform::Task tick) {
  const platform::TimerId id = m_nextTimerId++;
  Start(id, periodMs, repeating, std::move(tick));
  return id;
}

void QtWindowThread::StopTimer(platform::TimerId id) {
  const auto it = m_timers.find(id);
  if (it == m_timers.end()) return;
  it->second.timer->stop();
  // Possibly inside its own tick: Qt deletes it once the tick has returned.
  it->second.timer->deleteLater();
  m_timers.erase(it);
}

void QtWindowThread::Start(uint64_t id, uint32_t periodMs, bool repeating, platform::Task tick) {
  Timer& entry = m_timers[id];
  if (!entry.timer) {
    entry.timer = new QTimer(this);
    entry.timer->setTimerType(Qt::PreciseTimer);
  } else {
    entry.timer->disconnect();
  }
  entry.callback = std::move(tick);
  entry.generation = m_nextGeneration++;
  entry.running = false;
  entry.repeating = repeating;
  const uint64_t generation = entry.generation;
  connect(entry.timer, &QTimer::timeout, this, [this, id, generation] { Fire(id, generation); });
  entry.timer->start(static_cast<int>(periodMs));
}

void QtWindowThread::SetMessageTimer(platform::WindowId window, uint32_t id, uint32_t periodMs) {
  SetTimer(id, periodMs, [this, window, id] {
    platform::Message message = platform::MakeMessage(window, platform::WM_TIMER, id);
    Dispatch(message);
  });
}

void QtWindowThread::KillTimer(uint32_t id) { StopTimer(id); }

void QtWindowThread::Fire(uint64_t id, uint64_t generation) {
  auto it = m_timers.find(id);
  if (it == m_timers.end() || it->second.generation != generation || it->second.running) return;
  it->second.running = true;
  // A copy: the callback may restart or kill its own timer.
  const platform::TimerCallback callback = it->second.callback;
  // A single shot is gone before it runs, so it may start itself anew.
  if (!it->second.repeating) StopTimer(id);
  try {
    callback();
  } catch (const TextError& e) {
    Trace("Unhandled failure in timer %llu:\n%s\n", static_cast<unsigned long long>(id),
          e.Text().c_str());
  }
  it = m_timers.find(id);
  if (it != m_timers.end() && it->second.generation == generation) it->second.running = false;
}

}  // namespace ui

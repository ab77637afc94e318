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

// A posted message on its way through Qt's queue; Qt deletes it, and with it
// the message's body, also when it is never delivered.
class MessageEvent : public QEvent {
 public:
  explicit MessageEvent(platform::Message message)
      : QEvent(MESSAGE_EVENT), m_message(std::move(message)) {}
  platform::Message& Message() { return m_message; }

 private:
  platform::Message m_message;
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
  std::lock_guard lock(m_postMutex);
  if (m_closed) return false;
  QCoreApplication::postEvent(this, new MessageEvent(std::move(message)));
  return true;
}

void QtWindowThread::customEvent(QEvent* event) {
  if (event->type() != MESSAGE_EVENT) return;
  Dispatch(static_cast<MessageEvent*>(event)->Message());
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
  Timer& entry = m_timers[id];
  if (!entry.timer) {
    entry.timer = new QTimer(this);
    entry.timer->setTimerType(Qt::PreciseTimer);
  } else {
    entry.timer->disconnect();
  }
  entry.callback = std::move(callback);
  entry.generation = m_nextGeneration++;
  entry.running = false;
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

void QtWindowThread::KillTimer(uint32_t id) {
  const auto it = m_timers.find(id);
  if (it == m_timers.end()) return;
  it->second.timer->stop();
  // Possibly inside its own tick: Qt deletes it once the tick has returned.
  it->second.timer->deleteLater();
  m_timers.erase(it);
}

void QtWindowThread::Fire(uint32_t id, uint64_t generation) {
  auto it = m_timers.find(id);
  if (it == m_timers.end() || it->second.generation != generation || it->second.running) return;
  it->second.running = true;
  // A copy: the callback may restart or kill its own timer.
  const platform::TimerCallback callback = it->second.callback;
  try {
    callback();
  } catch (const TextError& e) {
    Trace("Unhandled failure in timer %u:\n%s\n", id, e.Text().c_str());
  }
  it = m_timers.find(id);
  if (it != m_timers.end() && it->second.generation == generation) it->second.running = false;
}

}  // namespace ui

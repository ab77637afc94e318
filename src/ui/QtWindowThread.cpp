#include "ui/QtWindowThread.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>

#include "platform/TextError.h"
#include "platform/Trace.h"

namespace ui {
namespace {

const QEvent::Type TASK_EVENT = static_cast<QEvent::Type>(QEvent::registerEventType());

// A posted task on its way through Qt's queue; Qt deletes it, and with it
// whatever the task holds, also when it is never run.
class TaskEvent : public QEvent {
 public:
  explicit TaskEvent(platform::Task task) : QEvent(TASK_EVENT), m_task(std::move(task)) {}
  void Run() { m_task(); }

 private:
  platform::Task m_task;
};

// Qt's event handlers must not throw: a failure nothing caught is traced and
// the window goes on.
template <class Work>
void RunTraced(const char* what, Work work) {
  try {
    work();
  } catch (const TextError& e) {
    Trace("Unhandled failure in %s:\n%s\n", what, e.Text().c_str());
  } catch (const std::exception& e) {
    Trace("Unhandled failure in %s: %s\n", what, e.what());
  }
}

}  // namespace

QtWindowThread::~QtWindowThread() {
  Close();
  for (auto& [id, timer] : m_timers) delete timer.timer;
}

void QtWindowThread::Close() {
  std::lock_guard lock(m_postMutex);
  m_closed = true;
}

bool QtWindowThread::Post(platform::Task task) {
  std::lock_guard lock(m_postMutex);
  if (m_closed) return false;
  QCoreApplication::postEvent(this, new TaskEvent(std::move(task)));
  return true;
}

void QtWindowThread::customEvent(QEvent* event) {
  if (event->type() != TASK_EVENT) return;
  RunTraced("a window task", [event] { static_cast<TaskEvent*>(event)->Run(); });
}

platform::TimerId QtWindowThread::StartTimer(uint32_t periodMs, bool repeating,
                                             platform::Task tick) {
  const platform::TimerId id = m_nextTimerId++;
  Timer& entry = m_timers[id];
  entry.timer = new QTimer(this);
  entry.timer->setTimerType(Qt::PreciseTimer);
  entry.tick = std::move(tick);
  entry.generation = m_nextGeneration++;
  entry.repeating = repeating;
  const uint64_t generation = entry.generation;
  connect(entry.timer, &QTimer::timeout, this, [this, id, generation] { Fire(id, generation); });
  entry.timer->start(static_cast<int>(periodMs));
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

void QtWindowThread::Fire(platform::TimerId id, uint64_t generation) {
  auto it = m_timers.find(id);
  if (it == m_timers.end() || it->second.generation != generation || it->second.running) return;
  it->second.running = true;
  // A copy: the tick may stop its own timer.
  const platform::Task tick = it->second.tick;
  // A single shot is gone before it runs, so it may start itself anew.
  if (!it->second.repeating) StopTimer(id);
  RunTraced("a timer", tick);
  it = m_timers.find(id);
  if (it != m_timers.end() && it->second.generation == generation) it->second.running = false;
}

}  // namespace ui

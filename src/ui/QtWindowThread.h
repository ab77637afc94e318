#pragma once
// The window thread of the graphical viewer: Qt's main thread. Posted tasks
// travel as queued events to this object and run when Qt's loop reaches them;
// timers are QTimers.

#include <QObject>
#include <map>
#include <mutex>

#include "platform/WindowThread.h"

class QTimer;

namespace ui {

class QtWindowThread : public QObject, public platform::WindowThread {
 public:
  QtWindowThread() = default;
  ~QtWindowThread() override;

  // From then on posts are refused; what is still queued is released with this object.
  void Close();

  bool Post(platform::Task task) override;
  platform::TimerId StartTimer(uint32_t periodMs, bool repeating, platform::Task tick) override;
  void StopTimer(platform::TimerId id) override;

 protected:
  void customEvent(QEvent* event) override;

 private:
  struct Timer {
    QTimer* timer = nullptr;
    platform::Task tick;
    uint64_t generation = 0;
    bool running = false;
    bool repeating = true;
  };

  void Fire(platform::TimerId id, uint64_t generation);

  std::mutex m_postMutex;  // orders a post against Close
  bool m_closed = false;
  std::map<platform::TimerId, Timer> m_timers;
  uint64_t m_nextGeneration = 1;
  platform::TimerId m_nextTimerId = 1;
};

}  // namespace ui

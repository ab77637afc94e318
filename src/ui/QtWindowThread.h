#pragma once
// The window thread of the graphical viewer: Qt's main thread. Posted messages
// travel as queued events to this object and are handed to the dispatcher;
// timers are QTimers; the nested pumps run Qt's own event processing, so a
// reply wait keeps the window painting and answering.

#include <QObject>
#include <functional>
#include <map>
#include <mutex>

#include "platform/WindowThread.h"

class QTimer;

namespace ui {

class QtWindowThread : public QObject, public platform::WindowThread {
 public:
  using Dispatcher = std::function<void(platform::Message&)>;

  explicit QtWindowThread(Dispatcher dispatcher = {});
  ~QtWindowThread() override;

  void SetDispatcher(Dispatcher dispatcher);
  // From then on posts are refused; what is still queued is released with this object.
  void Close();

  bool Post(platform::Message message) override;
  bool Post(platform::Task task) override;
  platform::TimerId StartTimer(uint32_t periodMs, bool repeating, platform::Task tick) override;
  void StopTimer(platform::TimerId id) override;
  void PumpPending() override;
  bool PumpUntil(const std::function<bool()>& done, uint32_t timeoutMs) override;
  void SetTimer(uint32_t id, uint32_t periodMs, platform::TimerCallback callback) override;
  void SetMessageTimer(platform::WindowId window, uint32_t id, uint32_t periodMs) override;
  void KillTimer(uint32_t id) override;

 protected:
  void customEvent(QEvent* event) override;

 private:
  struct Timer {
    QTimer* timer = nullptr;
    platform::TimerCallback callback;
    uint64_t generation = 0;
    bool running = false;
    bool repeating = true;
  };

  void Fire(uint64_t id, uint64_t generation);
  void Start(uint64_t id, uint32_t periodMs, bool repeating, platform::Task tick);
  void Dispatch(platform::Message& message);

  Dispatcher m_dispatcher;
  std::mutex m_postMutex;  // orders a post against Close
  bool m_closed = false;
  std::map<uint64_t, Timer> m_timers;
  uint64_t m_nextGeneration = 1;
  // Ids of StartTimer lie above every id a caller of SetTimer can choose.
  platform::TimerId m_nextTimerId = platform::TimerId{1} << 32;
};

}  // namespace ui

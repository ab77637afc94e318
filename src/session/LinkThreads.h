#pragma once
// The threads of one link to the unit, over TCP or a serial line: the connect
// thread, the monitor thread it starts once the link is up, and the stop
// signal every wait of theirs polls, so the window thread can end them in
// every state. Each link adds its transport and how a stop reaches it.

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

#include "platform/StopSignal.h"

namespace session {

class LinkThreads {
 public:
  LinkThreads() = default;
  // The link stops its threads before its transport goes; this only makes
  // sure none is left.
  ~LinkThreads() { Join(); }
  LinkThreads(const LinkThreads&) = delete;
  LinkThreads& operator=(const LinkThreads&) = delete;

  const platform::StopSignal& StopSignal() const { return m_stop; }
  bool IsStopping() const { return m_stop.IsRaised(); }

  // Window thread; throws std::system_error when no thread can be made. A
  // connect thread that has ended is joined first, so the call-back can run
  // where the connect thread ran.
  void StartConnectThread(std::function<void()> body);
  // The connect thread, once the link is up.
  void StartMonitorThread(std::function<void()> body);
  // Window thread: waits for both threads to end (never from one of them).
  void Join();
  // Window thread: true once no monitor thread runs, waiting until the
  // deadline at most.
  bool WaitForMonitorEnd(std::chrono::steady_clock::time_point deadline);

 protected:
  void RaiseStop() { m_stop.Raise(); }
  // Only once both threads are joined.
  void LowerStop() { m_stop.Reset(); }

 private:
  platform::StopSignal m_stop;
  std::thread m_connectThread;
  std::thread m_monitorThread;
  std::mutex m_monitorMutex;
  std::condition_variable m_monitorEnded;
  bool m_monitorRunning = false;
};

}  // namespace session

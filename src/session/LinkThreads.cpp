#include "session/LinkThreads.h"

#include <utility>

namespace session {
namespace {

void JoinUnlessSelf(std::thread& thread) {
  if (thread.joinable() && thread.get_id() != std::this_thread::get_id()) thread.join();
}

}  // namespace

void LinkThreads::StartConnectThread(std::function<void()> body) {
  JoinUnlessSelf(m_connectThread);
  m_connectThread = std::thread(std::move(body));
}

void LinkThreads::StartMonitorThread(std::function<void()> body) {
  {
    std::lock_guard lock(m_monitorMutex);
    m_monitorRunning = true;
  }
  try {
    m_monitorThread = std::thread([this, body = std::move(body)] {
      body();
      std::lock_guard lock(m_monitorMutex);
      m_monitorRunning = false;
      m_monitorEnded.notify_all();
    });
  } catch (...) {
    std::lock_guard lock(m_monitorMutex);
    m_monitorRunning = false;
    throw;
  }
}

void LinkThreads::Join() {
  // The connect thread starts the monitor thread, so it is joined first.
  JoinUnlessSelf(m_connectThread);
  JoinUnlessSelf(m_monitorThread);
}

bool LinkThreads::WaitForMonitorEnd(std::chrono::steady_clock::time_point deadline) {
  std::unique_lock lock(m_monitorMutex);
  return m_monitorEnded.wait_until(lock, deadline, [this] { return !m_monitorRunning; });
}

}  // namespace session

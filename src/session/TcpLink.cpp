#include "session/TcpLink.h"

#include <utility>

namespace session {
namespace {

void JoinUnlessSelf(std::thread& thread) {
  if (thread.joinable() && thread.get_id() != std::this_thread::get_id()) thread.join();
}

}  // namespace

TcpLink::~TcpLink() {
  RequestStop();
  Join();
}

void TcpLink::Prepare() {
  RequestStop();
  Join();
  m_stop.Reset();
}

void TcpLink::StartConnectThread(std::function<void()> body) {
  m_connectThread = std::thread(std::move(body));
}

void TcpLink::StartMonitorThread(std::function<void()> body) {
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

void TcpLink::RequestStop() {
  m_stop.Raise();
  // A send blocked on a unit that stopped reading returns as well.
  m_socket.Shutdown();
}

void TcpLink::Join() {
  // The connect thread starts the monitor thread, so it is joined first.
  JoinUnlessSelf(m_connectThread);
  JoinUnlessSelf(m_monitorThread);
}

bool TcpLink::WaitForMonitorEnd(std::chrono::steady_clock::time_point deadline) {
  std::unique_lock lock(m_monitorMutex);
  return m_monitorEnded.wait_until(lock, deadline, [this] { return !m_monitorRunning; });
}

void TcpLink::CloseSocket() {
  // Shut down first, unlocked, so a send blocked on a unit that stopped
  // reading returns and releases the send lock.
  m_socket.Shutdown();
  std::lock_guard lock(m_sendLock);
  m_socket.Close();
}

}  // namespace session

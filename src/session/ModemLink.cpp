#include "session/ModemLink.h"

#include <utility>

namespace session {
namespace {

void JoinUnlessSelf(std::thread& thread) {
  if (thread.joinable() && thread.get_id() != std::this_thread::get_id()) thread.join();
}

}  // namespace

ModemLink::~ModemLink() {
  RequestStop();
  Join();
}

void ModemLink::Prepare() {
  RequestStop();
  Join();
  SetModem(nullptr);
  m_stop.Reset();
}

void ModemLink::StartConnectThread(std::function<void()> body) {
  m_connectThread = std::thread(std::move(body));
}

void ModemLink::StartCallBackThread(std::function<void()> body) {
  JoinUnlessSelf(m_connectThread);
  m_connectThread = std::thread(std::move(body));
}

void ModemLink::StartMonitorThread(std::function<void()> body) {
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

void ModemLink::SetModem(std::unique_ptr<modem::CModem> modem) {
  std::unique_ptr<modem::CModem> old;
  {
    std::lock_guard lock(m_modemLock);
    old = std::exchange(m_modem, std::move(modem));
  }
  // Closed outside the lock: closing takes the engine's port lock.
}

modem::CModem* ModemLink::Modem() const {
  std::lock_guard lock(m_modemLock);
  return m_modem.get();
}

void ModemLink::Join() {
  // The connect thread starts the monitor thread, so it is joined first.
  JoinUnlessSelf(m_connectThread);
  JoinUnlessSelf(m_monitorThread);
}

bool ModemLink::WaitForMonitorEnd(std::chrono::steady_clock::time_point deadline) {
  std::unique_lock lock(m_monitorMutex);
  return m_monitorEnded.wait_until(lock, deadline, [this] { return !m_monitorRunning; });
}

}  // namespace session

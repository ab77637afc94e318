#pragma once
// The modem link of one session, beside TcpLink: the modem engine (made by
// the connect thread once it knows the modem), the connect and monitor
// threads that work on it, and the stop signal every wait of theirs polls, so
// the window thread can end them in every state (dialling, waiting for the
// carrier, negotiating, receiving, waiting for a call-back's ring). The
// threads close the port on their way out; closing drops DTR, which hangs up.

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "modem/Modem.h"
#include "platform/StopSignal.h"

namespace session {

class ModemLink {
 public:
  ModemLink() = default;
  // Stops and joins both threads.
  ~ModemLink();
  ModemLink(const ModemLink&) = delete;
  ModemLink& operator=(const ModemLink&) = delete;

  const platform::StopSignal& StopSignal() const { return m_stop; }
  bool IsStopping() const { return m_stop.IsRaised(); }

  // Window thread: ends what is left of the previous attempt (stopping and
  // joining its threads, dropping its modem) and lowers the stop signal.
  void Prepare();
  // Window thread; throws std::system_error when no thread can be made.
  void StartConnectThread(std::function<void()> body);
  // Window thread, while the link is up: the call-back runs where the
  // connect thread ran, once that one has ended.
  void StartCallBackThread(std::function<void()> body);
  // The connect thread, once the link is up.
  void StartMonitorThread(std::function<void()> body);

  // The connect thread hands over the modem it made; it lives until the
  // next Prepare.
  void SetModem(std::unique_ptr<modem::CModem> modem);
  // Null until the connect thread made one. Any thread.
  modem::CModem* Modem() const;

  // Any thread: wakes both threads wherever they wait.
  void RequestStop() { m_stop.Raise(); }
  // Window thread: waits for both threads to end (never from one of them).
  void Join();
  bool WaitForMonitorEnd(std::chrono::steady_clock::time_point deadline);

 private:
  platform::StopSignal m_stop;
  mutable std::mutex m_modemLock;
  std::unique_ptr<modem::CModem> m_modem;
  std::thread m_connectThread;
  std::thread m_monitorThread;
  std::mutex m_monitorMutex;
  std::condition_variable m_monitorEnded;
  bool m_monitorRunning = false;
};

}  // namespace session

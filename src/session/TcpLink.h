#pragma once
// The TCP link of one session: the socket, the send lock, the connect and
// monitor threads that work on it, and the stop signal that wakes both in
// every state (host lookup, connect, negotiation, receive), so the window
// thread can always end them in bounded time.

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

#include "platform/StopSignal.h"
#include "platform/TcpSocket.h"

namespace session {

class TcpLink {
 public:
  TcpLink() = default;
  // Stops and joins both threads.
  ~TcpLink();
  TcpLink(const TcpLink&) = delete;
  TcpLink& operator=(const TcpLink&) = delete;

  platform::TcpSocket& Socket() { return m_socket; }
  const platform::StopSignal& StopSignal() const { return m_stop; }
  bool IsStopping() const { return m_stop.IsRaised(); }

  // Window thread: ends what is left of the previous attempt (stopping it,
  // joining its threads) and lowers the stop signal for the next one.
  void Prepare();
  // Window thread; throws std::system_error when no thread can be made.
  void StartConnectThread(std::function<void()> body);
  // The connect thread, once the link is up.
  void StartMonitorThread(std::function<void()> body);

  // Any thread: wakes both threads wherever they wait; they close the socket
  // on their way out.
  void RequestStop();
  // Window thread: waits for both threads to end (never from one of them).
  void Join();
  // Window thread: true once no monitor thread runs, waiting until the
  // deadline at most.
  bool WaitForMonitorEnd(std::chrono::steady_clock::time_point deadline);

  // Held around forming and writing one packet, so packets leave whole and
  // in the order their ciphers ran.
  std::unique_lock<std::mutex> LockSend() { return std::unique_lock(m_sendLock); }
  // Closes the socket once no send can be using it.
  void CloseSocket();

 private:
  platform::TcpSocket m_socket;
  platform::StopSignal m_stop;
  std::mutex m_sendLock;
  std::thread m_connectThread;
  std::thread m_monitorThread;
  std::mutex m_monitorMutex;
  std::condition_variable m_monitorEnded;
  bool m_monitorRunning = false;
};

}  // namespace session

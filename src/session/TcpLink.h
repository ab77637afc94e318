#pragma once
// The TCP link of one session: the socket and the send lock, with the link's
// threads (LinkThreads). A stop also shuts the socket down, so a send blocked
// on a unit that stopped reading returns.

#include <mutex>

#include "platform/TcpSocket.h"
#include "session/LinkThreads.h"

namespace session {

class TcpLink : public LinkThreads {
 public:
  TcpLink() = default;
  // Stops and joins both threads.
  ~TcpLink();

  platform::TcpSocket& Socket() { return m_socket; }

  // Window thread: ends what is left of the previous attempt (stopping it,
  // joining its threads) and lowers the stop signal for the next one.
  void Prepare();
  // Any thread: wakes both threads wherever they wait; they close the socket
  // on their way out.
  void RequestStop();

  // Held around forming and writing one packet, so packets leave whole and
  // in the order their ciphers ran.
  std::unique_lock<std::mutex> LockSend() { return std::unique_lock(m_sendLock); }
  // Closes the socket once no send can be using it.
  void CloseSocket();

 private:
  platform::TcpSocket m_socket;
  std::mutex m_sendLock;
};

}  // namespace session

#include "session/TcpLink.h"

namespace session {

TcpLink::~TcpLink() {
  RequestStop();
  Join();
}

void TcpLink::Prepare() {
  RequestStop();
  Join();
  LowerStop();
}

void TcpLink::RequestStop() {
  RaiseStop();
  m_socket.Shutdown();
}

void TcpLink::CloseSocket() {
  // Shut down first, unlocked, so a send blocked on a unit that stopped
  // reading returns and releases the send lock.
  m_socket.Shutdown();
  std::lock_guard lock(m_sendLock);
  m_socket.Close();
}

}  // namespace session

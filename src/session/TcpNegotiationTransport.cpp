#include "session/TcpNegotiationTransport.h"

#include <utility>

#include "platform/SocketErrors.h"
#include "platform/TextError.h"

namespace session {

TcpNegotiationTransport::TcpNegotiationTransport(platform::TcpSocket& socket,
                                                 std::string productName, ConnectionReport& report,
                                                 const platform::StopSignal& stop, int readWaitMs,
                                                 int closedPauseMs)
    : m_socket(socket),
      m_productName(std::move(productName)),
      m_report(report),
      m_stop(stop),
      m_readWaitMs(readWaitMs),
      m_closedPauseMs(closedPauseMs) {}

size_t TcpNegotiationTransport::Read(uint8_t* buffer, size_t size) {
  const int received = m_socket.Receive(buffer, size, m_readWaitMs, m_stop.Fd());
  if (received > 0) return static_cast<size_t>(received);
  if (received == platform::TcpSocket::RECEIVE_STOPPED)
    throw TextError("Stopped while negotiating with " + m_productName + ".");
  if (received == 0) {
    m_stop.WaitFor(m_closedPauseMs);
    m_report.SetFailureText("Error while attempting to read.\n");
    // The connect thread moves on to the next failover address when the
    // negotiation fails; doing it here too would skip an address.
    throw TextError(m_productName + " does not respond to connection.");
  }
  if (received == platform::TcpSocket::RECEIVE_TIMED_OUT)
    platform::SetLastSocketError(platform::WSAETIMEDOUT);
  m_report.SetFailureText("Timed out while attempting to read.\n");
  throw TextError("Timed out while attempting to connect to " + m_productName + ".\n" +
                  platform::SocketErrorText());
}

bool TcpNegotiationTransport::Write(const uint8_t* data, size_t size) {
  if (m_socket.SendAll(data, size)) return true;
  m_report.SetFailureText("Socket send error.\n");
  return false;
}

}  // namespace session

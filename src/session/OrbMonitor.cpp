// The monitor thread: receives from the socket until the link ends, and the
// packet cutter's view of the session.

#include <array>
#include <vector>

#include "platform/TextError.h"
#include "platform/Trace.h"
#include "protocol/LittleEndian.h"
#include "protocol/PacketTypes.h"
#include "session/Orb.h"

namespace session {
namespace {

constexpr size_t RECEIVE_BUFFER = 50000;
constexpr const char* TCP_ERROR_STATUS = "TCP error. Disconnected. Idle.";
constexpr const char* SOCKET_CLOSED_TITLE = "Socket closed.";

}  // namespace

void COrb::MonitorTCPThread() {
  try {
    try {
      SendKeepAlive();
    } catch (const TextError& e) {
      // The link broke as it came up; the receive below meets the same broken
      // socket and ends the session as a lost link, not as a fault of ours.
      Trace("%s\n", e.what());
    }
    std::vector<uint8_t> buffer(RECEIVE_BUFFER);
    platform::TcpSocket& socket = m_link.Socket();
    for (;;) {
      const int received =
          socket.Receive(buffer.data(), buffer.size(), -1, m_link.StopSignal().Fd());
      if (received == platform::TcpSocket::RECEIVE_STOPPED) {
        // Our own Disconnect or shutdown: it has told the operator already.
        Trace("** Stop requested, exiting MonitorTCPThread. **\n");
        m_link.CloseSocket();
        break;
      }
      Trace("recv returned. BytesRead: %d\n", received);
      // Whether the operator was using the link: a link lost before login
      // goes on with the next address instead of being reported here.
      const bool wasLoggedIn = IsLoggedIn();
      if (received < 0) {
        Trace("Restore original mouse acceleration. 2\n");
        Trace("** recv() failed, exiting MonitorTCPThread. **\n");
        // The link is marked closed before the socket goes, so a send racing
        // with the close finds no link instead of failing on a dead socket.
        const bool closed = CloseLink(LinkStop::Now);
        m_link.CloseSocket();
        PostLinkEnded(TCP_ERROR_STATUS, closed);
        if (closed && wasLoggedIn)
          ReportFailure(TCP_ERROR_STATUS, "The network connection with " + m_env.productName +
                                              " failed while receiving. The session has ended.");
        break;
      }
      if (received == 0) {
        const bool closed = CloseLink(LinkStop::Now);
        m_link.CloseSocket();
        if (!closed) {
          // Our own Disconnect closed the link first: nothing to report.
          Trace("** recv() found closed socket, exiting MonitorTCPThread. **\n");
          break;
        }
        Trace("Called Disconnect from MonitorTCPThread.\n");
        Trace("Restore original mouse acceleration. 3\n");
        Trace("** recv() found closed socket, exiting MonitorTCPThread. **\n");
        Trace("SOCKET CLOSED.\n");
        PostLinkEnded({}, true);
        if (wasLoggedIn)
          ReportFailure(SOCKET_CLOSED_TITLE,
                        m_env.productName +
                            " closed the connection, or the network between "
                            "it and this computer did. The session has ended.");
        else
          SetFailureTitle(SOCKET_CLOSED_TITLE);
        Trace("Calling Disconnect from MonitorTCPThread.\n");
        break;
      }
      if (!IsConnected()) continue;
      m_receive.Receive(buffer.data(), static_cast<size_t>(received));
      m_totalBytesReceived += static_cast<uint32_t>(received);
      Trace("Total bytes recd = %d\n", static_cast<int>(m_totalBytesReceived.load()));
    }
  } catch (const TextError& e) {
    EndMonitor(e.Text(), false);
    return;
  } catch (...) {
    EndMonitor({}, true);
    return;
  }
  m_monitorRunning = false;
  // A link that ends before login goes on with the next address.
  FailoverStep();
}

// A broken stream: the link is closed like any other lost link, then reported.
void COrb::EndMonitor(const std::string& failure, bool unknown) {
  const bool closed = CloseLink(LinkStop::Now);
  m_link.CloseSocket();
  m_state.Transition(ConnectionState::Idle);
  PostLinkEnded(TCP_ERROR_STATUS, closed);
  if (unknown)
    ReportFailure("Unknown error.",
                  "Error in MonitorTCPThread(): No further information is available.\n");
  else
    ReportFailure(
        "Something unexpected went wrong.  It may be necessary to restart the program to get "
        "stable performance.",
        failure.rfind("--", 0) == 0 ? failure : "Error in MonitorTCPThread(): " + failure);
  m_monitorRunning = false;
}

void COrb::Resynchronise() {
  // The flag first: the monitor thread looks for the unit's markers before it
  // reads on, and the request below is the one packet that still goes out.
  if (m_modemActive) m_resynching = true;
  std::array<uint8_t, 4> count;
  StoreLE32(count.data(), m_counters.receivedPackets);
  PacketHeader header(RESEND_FROM, 0);
  SendPacket(header, {count.data(), count.size()});
  m_ring.Clear();
}

void COrb::SendBadChecksumReport(std::span<const uint8_t> headerStart,
                                 std::span<const uint8_t> payload) {
  PacketHeader header(PING, 2);
  SendPacket(header, {headerStart.data(), headerStart.size()}, {payload.data(), payload.size()});
}

}  // namespace session

// The TCP link's monitor thread: receives from the socket until the link ends.

#include <vector>

#include "platform/TextError.h"
#include "platform/Trace.h"
#include "session/Link.h"

namespace session {
namespace {

constexpr size_t RECEIVE_BUFFER = 50000;
constexpr const char* TCP_ERROR_STATUS = "TCP error. Disconnected. Idle.";
constexpr const char* SOCKET_CLOSED_TITLE = "Socket closed.";

}  // namespace

void Link::MonitorTcpThread() {
  try {
    m_events->OnMonitorStarted();
    std::vector<uint8_t> buffer(RECEIVE_BUFFER);
    platform::TcpSocket& socket = m_tcp.Socket();
    for (;;) {
      const int received =
          socket.Receive(buffer.data(), buffer.size(), -1, m_tcp.StopSignal().Fd());
      if (received == platform::TcpSocket::RECEIVE_STOPPED) {
        // Our own Disconnect or shutdown: it has told the operator already.
        Trace("** Stop requested, exiting MonitorTCPThread. **\n");
        m_tcp.CloseSocket();
        break;
      }
      Trace("recv returned. BytesRead: %d\n", received);
      // Whether the operator was using the link: a link lost before login
      // goes on with the next address instead of being reported here.
      const bool wasLoggedIn = m_events->IsLoggedIn();
      if (received < 0) {
        Trace("Restore original mouse acceleration. 2\n");
        Trace("** recv() failed, exiting MonitorTCPThread. **\n");
        // The link is marked closed before the socket goes, so a send racing
        // with the close finds no link instead of failing on a dead socket.
        const bool closed = m_events->CloseLink();
        m_tcp.CloseSocket();
        m_events->OnLinkEnded(TCP_ERROR_STATUS, closed);
        if (closed && wasLoggedIn)
          m_events->ReportFailure(TCP_ERROR_STATUS,
                                  "The network connection with " + m_productName +
                                      " failed while receiving. The session has ended.");
        break;
      }
      if (received == 0) {
        const bool closed = m_events->CloseLink();
        m_tcp.CloseSocket();
        if (!closed) {
          // Our own Disconnect closed the link first: nothing to report.
          Trace("** recv() found closed socket, exiting MonitorTCPThread. **\n");
          break;
        }
        Trace("Called Disconnect from MonitorTCPThread.\n");
        Trace("Restore original mouse acceleration. 3\n");
        Trace("** recv() found closed socket, exiting MonitorTCPThread. **\n");
        Trace("SOCKET CLOSED.\n");
        m_events->OnLinkEnded({}, true);
        if (wasLoggedIn)
          m_events->ReportFailure(SOCKET_CLOSED_TITLE,
                                  m_productName +
                                      " closed the connection, or the network between "
                                      "it and this computer did. The session has ended.");
        else
          m_events->SetFailureTitle(SOCKET_CLOSED_TITLE);
        Trace("Calling Disconnect from MonitorTCPThread.\n");
        break;
      }
      if (!m_events->IsConnected()) continue;
      m_events->OnReceived(buffer.data(), static_cast<size_t>(received));
      CountReceived(static_cast<size_t>(received));
    }
  } catch (const TextError& e) {
    EndTcpMonitor(e.Text(), false);
    return;
  } catch (...) {
    EndTcpMonitor({}, true);
    return;
  }
  m_monitorRunning = false;
  m_events->OnMonitorEnded();
}

// A broken stream: the link is closed like any other lost link, then reported.
void Link::EndTcpMonitor(const std::string& failure, bool unknown) {
  const bool closed = m_events->CloseLink();
  m_tcp.CloseSocket();
  m_events->OnLinkEnded(TCP_ERROR_STATUS, closed);
  if (unknown)
    m_events->ReportFailure("Unknown error.",
                            "Error in MonitorTCPThread(): No further information is available.\n");
  else
    m_events->ReportFailure(
        "Something unexpected went wrong.  It may be necessary to restart the program to get "
        "stable performance.",
        failure.rfind("--", 0) == 0 ? failure : "Error in MonitorTCPThread(): " + failure);
  m_monitorRunning = false;
}

}  // namespace session

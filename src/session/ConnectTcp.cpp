// The connect thread: from the target's address text to a negotiated link
// with the monitor thread running, or to the failure text and the next
// failover address.

#include <cerrno>
#include <cstring>

#include "platform/Format.h"
#include "platform/HostLookup.h"
#include "platform/SocketErrors.h"
#include "platform/TextError.h"
#include "platform/Trace.h"
#include "session/Connector.h"
#include "session/TargetAddress.h"
#include "session/TcpNegotiationTransport.h"

namespace session {

void Connector::ConnectTCPIP(int connectTimeoutMs) {
  const std::string address = CurrentTarget().Addresses().Address().substr(0, MAX_ADDRESS_TEXT);
  Trace("ConnectTCPIP()\n");
  AppendFailoverText("Trying: " + address + "\r\n");

  bool stopWalk = false;
  bool monitorStarted = false;
  std::optional<std::string> failure;
  try {
    failure = OpenAndNegotiate(address, connectTimeoutMs, stopWalk, monitorStarted);
  } catch (const TextError& e) {
    failure = ErrorIn("COrb", "ConnectTCPIP", e.Text());
  } catch (...) {
    failure = UnknownErrorIn("COrb", "ConnectTCPIP");
  }
  if (!failure) return;

  if (monitorStarted)
    m_link.RequestStop();  // the monitor thread closes the socket on its way out
  else
    m_link.CloseSocket();
  // Stopped on request: whoever asked is not waiting for a report.
  if (m_link.IsStopping()) {
    m_session.State().Transition(ConnectionState::Idle);
    Trace("ConnectTCPIP() stopped.\n");
    return;
  }
  EndFailedAttempt(*failure, stopWalk);
}

std::optional<std::string> Connector::OpenAndNegotiate(const std::string& address,
                                                       int connectTimeoutMs, bool& stopWalk,
                                                       bool& monitorStarted) {
  if (std::optional<std::string> failure = ConnectSocket(address, connectTimeoutMs)) return failure;

  const std::string& product = m_env.productName;
  TcpNegotiationTransport transport(m_link.Socket(), product, *this, m_link.StopSignal());
  const bool agreed = m_negotiate.NegotiateConnection(transport);
  if (m_negotiate.Result().busy) {
    m_link.CloseSocket();
    return "-- The " + product + " is active with another connection.\n";
  }
  if (!agreed) {
    m_link.CloseSocket();
    return product + " could not complete the connection.\nThe remote did not respond like a " +
           "compatible " + product + ".";
  }
  if (!StartStream()) {
    stopWalk = true;
    return std::string("Initialization of decompression failed.\n");
  }
  // The local lock lights are read when the window thread hears the link is up.
  return m_session.BringLinkUp("Stopped at your request.\n", monitorStarted);
}

std::optional<std::string> Connector::ConnectSocket(const std::string& address,
                                                    int connectTimeoutMs) {
  const session::TargetAddress target = ParseTargetAddress(address);
  if (target.hasPort) Trace("There was a port number.\n");

  std::optional<uint32_t> ip = platform::ParseDottedIPv4(target.host);
  if (ip) {
    Trace("Got valid dotted address\n");
  } else {
    Trace("not a valid dotted address, so try hostname\n");
    ip = platform::LookUpHost(target.host, m_env.resolver, m_link.StopSignal());
    if (m_link.IsStopping()) return std::string("Stopped at your request.\n");
    if (!ip) return "Host " + address + " not found.";
  }

  platform::TcpSocket& socket = m_link.Socket();
  const bool opened = socket.Open();
  Trace("m_socket = %d\n", socket.Fd());
  if (!opened)
    return Format("Could not open socket. Error code is: %d\n", platform::LastSocketError());
  Trace("Socket opened successfully.!\n");

  const std::string& product = m_env.productName;
  socket.SetBlocking(false);
  int result = socket.Connect({*ip, target.port});
  if (result == platform::WSAEWOULDBLOCK) {
    // Whole seconds only: what the operator set below a second means no wait.
    const int seconds = connectTimeoutMs / 1000;
    const int ready = socket.WaitWritable(seconds * 1000, m_link.StopSignal().Fd());
    if (ready == platform::TcpSocket::WAIT_STOPPED)
      return std::string("Stopped at your request.\n");
    if (ready == 0)
      return Format(
                 "-- The %s did not respond within the time allotted: %d seconds.\n"
                 "The connection from the Viewer to the remote is down\n"
                 "or the Viewer and ",
                 product.c_str(), seconds) +
             product + " are set to different port numbers.";
    if (ready < 0)
      return "-- Connect failed. connect() reported WSAEWOULDBLOCK, Select error was: " +
             platform::SocketErrorText() + "\n";
    result = socket.ConnectResult();
  } else if (result != 0) {
    const std::string systemText = std::strerror(errno);
    return "-- Connect failed. Select error was: " + systemText +
           "\nError from connect() is: " + platform::SocketErrorText(result) + "\n";
  }
  if (result == 0 && !socket.SetBlocking(true)) result = platform::LastSocketError();
  if (result == platform::WSAECONNREFUSED) return "-- " + product + " could not be reached.\n";
  if (result != 0) return Format("Connect failed, error: %d", result);
  return std::nullopt;
}

}  // namespace session

// The modem link: the connect thread that opens the port, dials or shakes
// hands with a cable and negotiates; the monitor thread that reads the line,
// finds the stream again after line errors and feeds the receive path; and
// the unit's call-back, answered on the same port.

#include <memory>
#include <vector>

#include "modem/ModemConnection.h"
#include "modem/ModemDatabase.h"
#include "modem/ModemSettings.h"
#include "modem/Resynch.h"
#include "platform/TextError.h"
#include "platform/Trace.h"
#include "session/ModemNegotiationTransport.h"
#include "session/Orb.h"
#include "settings/MiscSettings.h"

namespace session {
namespace {

constexpr size_t MODEM_READ = 5000;
// The monitor's read waits this long for a first byte, then returns once the
// line pauses: the loop checks its flags between reads without spinning.
constexpr int MONITOR_WAIT_MS = 100;
constexpr int MONITOR_GAP_MS = 2;
constexpr int CALL_BACK_PAUSE_MS = 100;
// A failed attempt leaves the line alone this long before hanging up, so
// the far end sees a clean end of the call.
constexpr int FAILURE_PAUSE_MS = 1500;
constexpr const char* MODEM_ERROR_STATUS = "Modem connection lost. Idle.";

}  // namespace

bool COrb::IsModemType(const std::string& connectionType) const {
  if (connectionType.find("MODEM") != std::string::npos) return true;
  // A direct cable's model name need not say MODEM.
  return modem::ModemDatabase(modem::ModemDatabase::PathBeside(m_env.ini.Path()), m_env.ini)
      .IsInstalled(connectionType);
}

void COrb::StartConnectModem() {
  if (m_state.IsConnecting()) return;
  PrepareAttempt();
  m_modemActive = true;
  m_resynching = false;
  m_callBack = false;
  if (!m_state.TransitionFrom(ConnectionState::Idle, ConnectionState::Connecting)) return;
  try {
    m_modemLink.StartConnectThread([this] { ConnectModemThread(); });
  } catch (const std::system_error&) {
    m_state.Transition(ConnectionState::Idle);
    const std::string title = "Could not create a thread to connect by modem.";
    SetFailureTitle(title);
    throw TextError(title);
  }
}

void COrb::PostStatus(const std::string& text) {
  Trace("%s\n", text.c_str());
  PostTask(nullptr, [this, text] { m_hooks.observer->OnConnecting(text); });
}

bool COrb::IsSerialLineUp() const {
  if (!m_modemActive) return false;
  const modem::Modem* modem = m_modemLink.Modem();
  return modem && modem->Line().IsCarrierUp();
}

void COrb::ConnectModemThread() {
  Trace("ConnectModemThread()\n");
  AppendFailoverText("Trying: " + CurrentTarget().Addresses().Address() + "\r\n");
  bool monitorStarted = false;
  std::optional<std::string> failure;
  try {
    failure = OpenModemAndNegotiate(monitorStarted);
  } catch (const TextError& e) {
    Trace("catch(CString) %s\n", e.what());
    failure = e.Text();
  } catch (...) {
    failure = UnknownErrorIn("COrb", "ConnectModemThread");
  }
  if (!failure) return;

  if (monitorStarted) {
    m_modemLink.RequestStop();  // the monitor thread closes the port on its way out
  } else if (modem::Modem* modem = m_modemLink.Modem()) {
    if (!m_modemLink.IsStopping()) m_modemLink.StopSignal().WaitFor(FAILURE_PAUSE_MS);
    try {
      modem->Disconnect();
    } catch (const TextError& e) {
      Trace("%s", e.what());
    }
    modem->Line().Close();
  }
  if (m_modemLink.IsStopping()) {
    m_state.Transition(ConnectionState::Idle);
    Trace("ConnectModemThread() stopped.\n");
    return;
  }
  // Told before the link reads as ended, so whoever waits for the end finds it.
  m_failure.Set(*failure, *failure);
  AppendFailoverText(*failure + "\n");
  m_state.Transition(ConnectionState::Idle);
  FailoverStep();
}

std::optional<std::string> COrb::OpenModemAndNegotiate(bool& monitorStarted) {
  if (!m_hooks.video->InitDecompression())
    return std::string("Initialization of decompression failed.\n");
  PostStatus("Connecting...");
  Trace("Initializing modem\n");
  const settings::AddressEntry target = CurrentTarget();
  modem::ModemParameters parameters =
      modem::ModemDatabase(modem::ModemDatabase::PathBeside(m_env.ini.Path()), m_env.ini)
          .Find(target.Addresses().ConnectionType());
  const modem::ModemTimings timings = modem::ReadModemTimings(m_env.ini);
  if (!timings.baudWarning.empty())
    PostTask(nullptr, [this, text = timings.baudWarning] { m_hooks.observer->OnNotice(text); });
  m_modemLink.SetModem(std::make_unique<modem::Modem>(std::move(parameters), timings, m_env.ini,
                                                      m_modemLink.StopSignal()));
  modem::Modem& modem = *m_modemLink.Modem();

  std::string portError;
  if (!modem.Line().OpenPort(portError)) {
    Trace("open failed\n");
    return "Could not connect to the modem -- open failed.\n" + modem.Parameters().model + "\n" +
           portError;
  }
  const std::string& product = m_env.productName;
  modem::DialRequest request{target.Addresses().Address(), target.Addresses().PulseDial(), product,
                             modem::ReadWaitForConnectTime(m_env.ini)};
  if (std::optional<std::string> failure =
          modem::BringUpLine(modem, request, [this](const std::string& text) { PostStatus(text); }))
    return failure;

  Trace("Negotiate with server\n");
  ModemNegotiationTransport transport(modem);
  const bool agreed = m_negotiate.NegotiateConnection(transport);
  if (m_negotiate.Result().busy) {
    Trace("Server busy with another connection\n");
    return "The " + product + " is busy with another connection.\n";
  }
  if (!agreed) {
    Trace("Negotiation failed.\n");
    return "The remote does not appear to be a compatible " + product;
  }
  TakeOverNegotiation();

  Trace("Flush ring buffer\n");
  m_ring.Clear();
  // The unit resends from the count of packets since this connection was made.
  m_counters.receivedPackets = 0;
  Trace("Starting MonitorModemThread\n");
  return BringLinkUp(
      m_modemLink, [this] { MonitorModemThread(); }, modem::ABORTED_TEXT, monitorStarted);
}

void COrb::MonitorModemThread() {
  m_callBack = false;
  m_monitorParked = false;
  modem::Modem* modem = m_modemLink.Modem();
  try {
    try {
      SendKeepAlive();
    } catch (const TextError& e) {
      Trace("%s\n", e.what());
    }
    std::vector<uint8_t> buffer(MODEM_READ);
    uint32_t emptyReads = 0;
    while (modem && MonitorModemStep(*modem, buffer, emptyReads)) {
    }
  } catch (const TextError& e) {
    if (m_modemLink.IsStopping()) {
      if (modem) modem->Line().Close();
    } else {
      EndModemMonitor(MODEM_ERROR_STATUS, {});
      ReportFailure(
          "Something unexpected went wrong.  It may be necessary to restart the program to get "
          "stable performance.",
          e.Text().rfind("--", 0) == 0 ? e.Text() : "Error in MonitorModemThread(): " + e.Text());
    }
  } catch (...) {
    EndModemMonitor(MODEM_ERROR_STATUS, {});
    ReportFailure("Unknown error.",
                  "Error in MonitorModemThread(): No further information is available.\n");
  }
  m_monitorRunning = false;
  FailoverStep();
}

bool COrb::MonitorModemStep(modem::Modem& modem, std::vector<uint8_t>& buffer,
                            uint32_t& emptyReads) {
  if (m_modemLink.IsStopping()) {
    // Our own Disconnect or shutdown: it has told the operator already.
    Trace("** Stop requested, exiting MonitorModemThread. **\n");
    modem.Line().Close();
    return false;
  }
  if (m_resynching) {
    const int limit = settings::ReadMiscNumber(m_env.ini, "ResynchTimeoutMS");
    if (modem::WaitForResynch(modem.Line(), limit)) {
      Trace("Success resych.\n");
      m_hooks.video->ResumeAfterLoss();
      m_resynching = false;
      return true;
    }
    if (!modem.Line().IsOpen() || m_modemLink.IsStopping()) {
      modem.Line().Close();
      CloseLink(LinkStop::Now);
      m_state.Transition(ConnectionState::Idle);
      return false;
    }
    Trace("Failed resynch.\n");
    modem.Line().Close();
    throw TextError("There were transmission errors too severe to recover from.");
  }
  if (!modem.Line().IsOpen() || !IsConnected()) {
    Trace("Modem found closed, exiting...\n");
    EndModemMonitor(MODEM_ERROR_STATUS, "Modem found closed.");
    return false;
  }
  if (m_callBack) {
    Trace("Call-back in progress...\n");
    m_monitorParked = true;
    m_modemLink.StopSignal().WaitFor(CALL_BACK_PAUSE_MS);
    return true;
  }
  m_monitorParked = false;
  int read = 0;
  try {
    if (!modem.Line().Read(buffer.data(), buffer.size(), read, MONITOR_WAIT_MS, MONITOR_GAP_MS))
      return true;  // a stop; seen at the top
  } catch (const TextError& e) {
    // A line hung up from the far end reads as a failure of the port.
    Trace("Error reading: %s\n", e.what());
    if (m_modemLink.IsStopping()) return true;
    Trace("Found disconnected after read.\n");
    EndModemMonitor(MODEM_ERROR_STATUS, "The modem line was hung up.");
    return false;
  }
  const std::string errors = modem.Line().TakeLineErrors();
  if (!errors.empty()) Trace("There was a comm error: %s\n", errors.c_str());
  if (read == 0) {
    if (++emptyReads % 100 == 0)
      Trace("Read %d times where no data was ready...\n", static_cast<int>(emptyReads));
    // A carrier that drops on a silent line is noticed too.
    if (!modem.Line().IsCarrierUp()) {
      Trace("Found disconnected while idle.\n");
      EndModemMonitor(MODEM_ERROR_STATUS, "The modem line was hung up.");
      return false;
    }
    return true;
  }
  Trace("Read %d bytes\n", read);
  if (!modem.Line().IsCarrierUp()) {
    Trace("Found disconnected after read.\n");
    EndModemMonitor(MODEM_ERROR_STATUS, "The modem line was hung up.");
    return false;
  }
  if (!IsConnected()) return true;
  m_receive.Receive(buffer.data(), static_cast<size_t>(read));
  m_totalBytesReceived += static_cast<uint32_t>(read);
  Trace("Total bytes recd = %d\n", static_cast<int>(m_totalBytesReceived.load()));
  return true;
}

// The line is gone: the link is closed like any other lost link.
void COrb::EndModemMonitor(const std::string& status, const std::string& failureTitle) {
  const bool closed = CloseLink(LinkStop::Now);
  if (modem::Modem* modem = m_modemLink.Modem()) modem->Line().Close();
  m_state.Transition(ConnectionState::Idle);
  if (closed && !failureTitle.empty()) SetFailureTitle(failureTitle);
  PostLinkEnded(status, closed);
}

void COrb::WaitForCallBack() {
  if (!m_modemActive || !m_modemLink.Modem() || !IsConnected() || m_callBack) {
    Trace("A call-back was announced, but the link is not a modem link.\n");
    return;
  }
  Trace("Waiting for callback...\n");
  m_monitorParked = false;
  m_callBack = true;
  m_counters.keepAliveStamp = 0;
  try {
    // The call-back runs where the connect thread ran.
    m_modemLink.StartConnectThread([this] { CallBackThread(); });
  } catch (const std::system_error&) {
    m_callBack = false;
    Disconnect(false);
    ReportFailure("Timed out waiting for call back.\n", "Could not create a thread to wait.\n");
  }
}

void COrb::CallBackThread() {
  modem::Modem& modem = *m_modemLink.Modem();
  const platform::StopSignal& stop = m_modemLink.StopSignal();
  // The monitor thread lets go of the port before the line is dropped.
  while (!m_monitorParked && m_monitorRunning && !stop.WaitFor(10)) {
  }
  PostStatus("Waiting for " + m_env.productName + " to call back...\n");
  std::optional<std::string> failure;
  try {
    failure = modem::AnswerCallBack(modem, modem::ReadWaitForRingTime(m_env.ini), m_env.productName,
                                    [this](const std::string& text) { PostStatus(text); });
    if (!failure) {
      if (!m_hooks.video->InitDecompression())
        throw TextError("Error in WaitForCallBack(): InitDecompression failed.\n");
      Trace("Connection established.\n");
      m_ring.Clear();
      uint8_t discard[200];
      int read = 0;
      modem.Line().Read(discard, sizeof discard, read, 100, 100);
      m_counters.receivedPackets = 0;
    }
  } catch (const TextError& e) {
    failure = e.Text();
  }
  if (stop.IsRaised()) return;
  if (failure) {
    Trace("%s", failure->c_str());
    // Recorded before the link ends, so whoever waits for the end finds it;
    // the observer hears of the closed link before the failure.
    m_failure.Set(*failure, *failure);
    m_callBack = false;
    EndModemMonitor(MODEM_ERROR_STATUS, {});
    PostFailure(*failure, *failure);
    return;
  }
  Trace("Start MonitorModemThread\n");
  m_callBack = false;
  PostTask("command 1086", [this] { OnLinkUp(); });
}

}  // namespace session

// The modem link's connect thread: opens the port, dials or shakes hands
// with a cable, and negotiates.

#include <memory>

#include "modem/ModemConnection.h"
#include "modem/ModemDatabase.h"
#include "modem/ModemSettings.h"
#include "platform/TextError.h"
#include "platform/Trace.h"
#include "session/Connector.h"
#include "session/ModemNegotiationTransport.h"

namespace session {
namespace {

// A failed attempt leaves the line alone this long before hanging up, so
// the far end sees a clean end of the call.
constexpr int FAILURE_PAUSE_MS = 1500;

}  // namespace

void Connector::ConnectModemThread() {
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
    m_link.RequestStop();  // the monitor thread closes the port on its way out
  } else if (modem::Modem* modem = m_link.Modem()) {
    if (!m_link.IsStopping()) m_link.StopSignal().WaitFor(FAILURE_PAUSE_MS);
    try {
      modem->Disconnect();
    } catch (const TextError& e) {
      Trace("%s", e.what());
    }
    modem->Line().Close();
  }
  if (m_link.IsStopping()) {
    m_session.State().Transition(ConnectionState::Idle);
    Trace("ConnectModemThread() stopped.\n");
    return;
  }
  EndFailedAttempt(*failure, false);
}

std::optional<std::string> Connector::OpenModemAndNegotiate(bool& monitorStarted) {
  m_session.PostProgress("Connecting...");
  Trace("Initializing modem\n");
  const settings::AddressEntry target = CurrentTarget();
  modem::ModemParameters parameters =
      modem::ModemDatabase(modem::ModemDatabase::PathBeside(m_env.ini.Path()), m_env.ini)
          .Find(target.Addresses().ConnectionType());
  const modem::ModemTimings timings = modem::ReadModemTimings(m_env.ini);
  if (!timings.baudWarning.empty()) m_session.PostNotice(timings.baudWarning);
  m_link.SetModem(std::make_unique<modem::Modem>(std::move(parameters), timings, m_env.ini,
                                                 m_link.StopSignal()));
  modem::Modem& modem = *m_link.Modem();

  std::string portError;
  if (!modem.Line().OpenPort(portError)) {
    Trace("open failed\n");
    return "Could not connect to the modem -- open failed.\n" + modem.Parameters().model + "\n" +
           portError;
  }
  const std::string& product = m_env.productName;
  modem::DialRequest request{target.Addresses().Address(), target.Addresses().PulseDial(), product,
                             modem::ReadWaitForConnectTime(m_env.ini)};
  if (std::optional<std::string> failure = modem::BringUpLine(
          modem, request, [this](const std::string& text) { m_session.PostProgress(text); }))
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
  Trace("Flush ring buffer\n");
  if (!StartStream()) return std::string("Initialization of decompression failed.\n");
  Trace("Starting MonitorModemThread\n");
  return m_session.BringLinkUp(modem::ABORTED_TEXT, monitorStarted);
}

}  // namespace session

#include "session/Connector.h"

#include <utility>

#include "modem/ModemDatabase.h"
#include "platform/TextError.h"
#include "platform/Trace.h"
#include "settings/AddressBook.h"
#include "settings/MiscSettings.h"

namespace session {
namespace {

constexpr int DEFAULT_CONNECT_TIMEOUT_MS = 5000;
constexpr int MAX_CONNECT_TIMEOUT_MS = 120000;

bool Contains(const std::string& text, const char* part) {
  return text.find(part) != std::string::npos;
}

}  // namespace

Connector::Connector(const SessionEnvironment& environment, UnitSession& session, Link& link,
                     FailoverWalk& failover)
    : m_env(environment),
      m_session(session),
      m_link(link),
      m_failover(failover),
      m_negotiate(m_env.viewerVersion, m_env.productName, *this),
      m_events(m_env.window) {
  if (!m_env.resolver) m_env.resolver = platform::ResolveHostIPv4;
  try {
    LoadCurrentTarget();
  } catch (const TextError& e) {
    Trace("%s", e.what());
    CreateFirstRunTarget();
  }
  m_session.SetFailoverStep([this] { StepFailover(); });
}

Connector::~Connector() {
  m_session.Shutdown();
  m_session.SetFailoverStep({});
}

void Connector::LoadCurrentTarget() {
  settings::AddressEntry target;
  target.ReadINIInfo(m_env.ini, "");
  m_failover.SetTarget(std::move(target));
}

// A fresh INI file: the MISC defaults, then the one entry every viewer starts with.
void Connector::CreateFirstRunTarget() {
  settings::WriteFirstRunDefaults(m_env.ini);
  settings::AddressEntry entry = settings::DefaultTarget();
  try {
    entry.SaveToINI(m_env.ini);
  } catch (const TextError& e) {
    // A read-only file still leaves the viewer something to connect to.
    Trace("%s\n", e.what());
  }
  m_failover.SetTarget(std::move(entry));
}

void Connector::Connect(int selection, const std::string& selectionText) {
  try {
    SelectUnit(selection, selectionText);
  } catch (const TextError& e) {
    ReportConnectFailure(e.Text());
    return;
  }
  ConnectCurrentTarget();
}

void Connector::SelectUnit(int selection, const std::string& selectionText) {
  settings::WriteMiscNumber(m_env.ini, "CURRSEL", selection);
  settings::WriteMisc(m_env.ini, "CURRSELTEXT", selectionText);
  LoadCurrentTarget();
}

void Connector::ConnectCurrentTarget() {
  try {
    const std::string type = m_failover.ConnectionType();
    if (IsModemType(type)) {
      StartConnect(true, 0);
    } else {
      if (!Contains(type, settings::TCP_IP))
        throw TextError("Connection type must be a modem or TCP/IP.");
      int timeoutMs = settings::ReadMiscNumber(m_env.ini, "IPConnectTimeMS");
      if (timeoutMs < 1 || timeoutMs > MAX_CONNECT_TIMEOUT_MS)
        timeoutMs = DEFAULT_CONNECT_TIMEOUT_MS;
      StartConnect(false, timeoutMs);
    }

    m_session.AnnounceConnect();
    m_env.view.SetTitle(m_env.productName + " Viewer - " + CurrentTarget().Location());
  } catch (const TextError& e) {
    ReportConnectFailure(e.Text());
  } catch (...) {
    ReportConnectFailure(UnknownErrorIn("COrb", "Connect"));
  }
}

bool Connector::IsModemType(const std::string& connectionType) const {
  if (connectionType.find("MODEM") != std::string::npos) return true;
  // A direct cable's model name need not say MODEM.
  return modem::ModemDatabase(modem::ModemDatabase::PathBeside(m_env.ini.Path()), m_env.ini)
      .IsInstalled(connectionType);
}

// With one address the operator is told at once; with several the text joins
// the failover text the connect progress dialog shows.
void Connector::ReportConnectFailure(const std::string& message) {
  const settings::AddressEntry target = CurrentTarget();
  const bool several = target.Addresses().LastSlot() > 0;
  const bool worded = message.rfind("--", 0) == 0;
  if (!several) {
    if (worded) {
      m_session.Failure().Set(m_env.productName, message);
      m_env.dialogs.MessageBox(m_env.productName,
                               message.substr(std::min<size_t>(3, message.size())),
                               platform::DialogButtons::Ok, platform::DialogIcon::Information);
    } else {
      m_session.Failure().Set("Unable to connect.", "Could not connect: " + message);
      m_env.dialogs.ShowError("Unable to connect.", "Could not connect: " + message);
    }
    return;
  }
  if (worded)
    AppendFailoverText("While connecting to: " + target.Addresses().Address() + "\n" + message +
                       "\n\n");
  else
    AppendFailoverText("Unable to connect.\n" + message + "\n\n");
}

void Connector::StartConnect(bool overModem, int connectTimeoutMs) {
  SessionState& state = m_session.State();
  if (state.IsConnecting()) return;
  m_session.PrepareAttempt(overModem);
  if (!state.TransitionFrom(ConnectionState::Idle, ConnectionState::Connecting)) return;
  try {
    if (overModem)
      m_link.StartConnectThread([this] { ConnectModemThread(); });
    else
      m_link.StartConnectThread([this, connectTimeoutMs] { ConnectTCPIP(connectTimeoutMs); });
  } catch (const std::system_error&) {
    state.Transition(ConnectionState::Idle);
    const std::string title = overModem ? "Could not create a thread to connect by modem."
                                        : "Could not create a thread to connect TCP/IP.";
    m_session.Failure().SetTitle(title);
    throw TextError(title);
  }
}

void Connector::EndFailedAttempt(const std::string& failure, bool stopWalk) {
  // Told before the link reads as ended, so whoever waits for the end finds it.
  m_session.Failure().Set(failure, failure);
  AppendFailoverText(failure + "\n");
  m_session.State().Transition(ConnectionState::Idle);
  if (stopWalk)
    m_failover.End();
  else
    StepFailover();
}

void Connector::StepFailover() {
  if (m_failover.Step(m_session.IsLoggedIn()) && !m_events.Post([this] { ConnectCurrentTarget(); }))
    Trace("PostMessage() failed for command 1089.\n");
}

// The last link's threads are finished first: a monitor thread still winding
// down after a disconnect would otherwise step the new walk.
void Connector::RewindFailover() {
  if (!m_session.State().IsConnecting()) m_session.PrepareAttempt(m_link.IsOverModem());
  m_failover.Rewind();
}

void Connector::StopConnecting() {
  m_session.Disconnect(false);
  m_link.RequestStop();
  m_failover.Stop("Stopped at your request.\n");
}

bool Connector::IsLinkEnded() const {
  return m_session.State().Get() == ConnectionState::Idle && !m_failover.IsActive() &&
         !m_link.IsMonitorRunning();
}

void Connector::SetCurrentTargetAddress(const std::string& address) {
  const settings::AddressEntry current = CurrentTarget();
  settings::AddressEntry target(current.Location(), address, current.ColorRendering(),
                                settings::TCP_IP, false, current.Quad().servers);
  for (int quadrant = 0; quadrant < 4; ++quadrant)
    target.Quad().quadrants[quadrant] = current.Quad().quadrants[quadrant];
  m_failover.SetTarget(std::move(target));
}

NegotiationResult Connector::Negotiated() const {
  std::lock_guard lock(m_agreedLock);
  return m_agreed;
}

bool Connector::StartStream() {
  const NegotiationResult& agreed = m_negotiate.Result();
  {
    std::lock_guard lock(m_agreedLock);
    m_agreed = agreed;
  }
  return m_session.StartStream(agreed);
}

}  // namespace session

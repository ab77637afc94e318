#include "session/Orb.h"

#include <utility>

#include "platform/Format.h"
#include "platform/TextError.h"
#include "platform/Trace.h"
#include "protocol/EncryptionTypes.h"
#include "protocol/PacketTypes.h"
#include "settings/AddressBook.h"
#include "settings/MiscSettings.h"

namespace session {
namespace {

// The hooks in force while the parts above have installed none.
VideoSink g_noVideo;
KeyboardLink g_noKeyboard;
SessionObserver g_noObserver;

constexpr int DEFAULT_CONNECT_TIMEOUT_MS = 5000;
constexpr int MAX_CONNECT_TIMEOUT_MS = 120000;

bool Contains(const std::string& text, const char* part) {
  return text.find(part) != std::string::npos;
}

}  // namespace

COrb::COrb(OrbEnvironment environment)
    : m_env(std::move(environment)),
      m_clock(m_env.clock ? *m_env.clock : platform::SystemCalendarClock()),
      m_hooks{&g_noVideo, &g_noKeyboard, &g_noObserver},
      m_events(m_env.window),
      m_negotiate(m_env.viewerVersion, m_env.productName, *this),
      m_receive(m_ring, *this, m_cipher, m_events, m_counters, m_hooks, m_clock),
      m_graceTimer(m_env.window) {
  if (!m_env.resolver) m_env.resolver = platform::ResolveHostIPv4;
  m_operatorAcceleration = m_env.pointer.GetAcceleration();
  try {
    LoadCurrentTarget();
  } catch (const TextError& e) {
    Trace("%s", e.what());
    CreateFirstRunTarget();
  }
}

COrb::~COrb() { Shutdown(); }

void COrb::Shutdown() {
  if (m_shutDown) return;
  if (m_graceEnds && (m_modemActive ? m_modemLink.WaitForMonitorEnd(*m_graceEnds)
                                    : m_link.WaitForMonitorEnd(*m_graceEnds)))
    m_graceEnds.reset();
  Disconnect(false);
  m_shutDown = true;
  m_graceTimer.Stop();
  RequestLinkStop();
  m_link.Join();
  m_modemLink.Join();
}

void COrb::SetHooks(const SessionHooks& hooks) {
  if (hooks.video) m_hooks.video = hooks.video;
  if (hooks.keyboard) m_hooks.keyboard = hooks.keyboard;
  if (hooks.observer) m_hooks.observer = hooks.observer;
}

void COrb::SetOperatorAcceleration(const platform::MouseAcceleration& acceleration) {
  m_operatorAcceleration = acceleration;
}

void COrb::LoadCurrentTarget() {
  settings::AddressEntry target;
  target.ReadINIInfo(m_env.ini, "");
  m_failover.SetTarget(std::move(target));
}

// A fresh INI file: the MISC defaults, then the one entry every viewer starts with.
void COrb::CreateFirstRunTarget() {
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

void COrb::Connect(int selection, const std::string& selectionText) {
  try {
    SelectUnit(selection, selectionText);
  } catch (const TextError& e) {
    ReportConnectFailure(e.Text());
    return;
  }
  ConnectCurrentTarget();
}

void COrb::SelectUnit(int selection, const std::string& selectionText) {
  settings::WriteMiscNumber(m_env.ini, "CURRSEL", selection);
  settings::WriteMisc(m_env.ini, "CURRSELTEXT", selectionText);
  LoadCurrentTarget();
}

void COrb::ConnectCurrentTarget() {
  try {
    const std::string type = ConnectionType();
    m_keepAlivePeriod = settings::ReadMiscNumber(m_env.ini, "KeepAliveTime");
    if (IsModemType(type)) {
      StartConnectModem();
    } else {
      if (!Contains(type, settings::TCP_IP))
        throw TextError("Connection type must be a modem or TCP/IP.");
      int timeoutMs = settings::ReadMiscNumber(m_env.ini, "IPConnectTimeMS");
      if (timeoutMs < 1 || timeoutMs > MAX_CONNECT_TIMEOUT_MS)
        timeoutMs = DEFAULT_CONNECT_TIMEOUT_MS;
      StartConnectTCPIP(timeoutMs);
    }

    m_hooks.observer->OnConnectStarted();
    m_hooks.video->ClearBlock();
    m_env.view.SetTitle(m_env.productName + " Viewer - " + CurrentTarget().Location());
  } catch (const TextError& e) {
    ReportConnectFailure(e.Text());
  } catch (...) {
    ReportConnectFailure(UnknownErrorIn("COrb", "Connect"));
  }
}

// With one address the operator is told at once; with several the text joins
// the failover text the connect progress dialog shows.
void COrb::ReportConnectFailure(const std::string& message) {
  const settings::AddressEntry target = CurrentTarget();
  const bool several = target.Addresses().LastSlot() > 0;
  const bool worded = message.rfind("--", 0) == 0;
  if (!several) {
    if (worded) {
      m_failure.Set(m_env.productName, message);
      m_env.dialogs.MessageBox(m_env.productName,
                               message.substr(std::min<size_t>(3, message.size())),
                               platform::DialogButtons::Ok, platform::DialogIcon::Information);
    } else {
      m_failure.Set("Unable to connect.", "Could not connect: " + message);
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

void COrb::PrepareAttempt() {
  // A connect while a link is up replaces it.
  if (IsConnected()) Disconnect(false);
  m_graceTimer.Stop();
  m_graceEnds.reset();
  m_link.Prepare();
  m_modemLink.Prepare();
}

void COrb::StartConnectTCPIP(int connectTimeoutMs) {
  if (m_state.IsConnecting()) return;
  PrepareAttempt();
  m_modemActive = false;
  if (!m_state.TransitionFrom(ConnectionState::Idle, ConnectionState::Connecting)) return;
  try {
    m_link.StartConnectThread([this, connectTimeoutMs] { ConnectTCPIP(connectTimeoutMs); });
  } catch (const std::system_error&) {
    m_state.Transition(ConnectionState::Idle);
    const std::string title = "Could not create a thread to connect TCP/IP.";
    SetFailureTitle(title);
    throw TextError(title);
  }
}

bool COrb::CloseLink(LinkStop when) {
  if (!m_state.LeaveConnected()) return false;
  // The keep-alive watch ends with the link: nothing stale may report it lost later.
  m_counters.keepAliveStamp = 0;
  m_ring.Clear();
  m_counters.ResetView();
  if (when == LinkStop::Now) {
    // The monitor thread wakes and closes the socket (or port) itself, so
    // the descriptor cannot be reused under it.
    RequestLinkStop();
  } else {
    m_graceEnds = std::chrono::steady_clock::now() + std::chrono::milliseconds(DISCONNECT_GRACE_MS);
    m_graceTimer.StartOnce(DISCONNECT_GRACE_MS, [this] {
      m_graceEnds.reset();
      RequestLinkStop();
    });
  }
  m_cipher.SetSessionCipher(ENCRYPTION_NONE);
  return true;
}

void COrb::FinishDisconnect() {
  m_hooks.observer->OnDisconnecting();
  RestoreLocalMouse();
  m_hooks.observer->OnConnectionClosed();
}

void COrb::Disconnect(bool sendDisconnect) {
  if (!IsConnected() || m_shutDown) return;
  try {
    if (sendDisconnect) {
      PacketHeader header(DISCONNECT, 0);
      SendPacket(header);
    }
    // The monitor thread may have closed the link first; the operator's half
    // then reaches the window thread in its news of the end.
    if (CloseLink(sendDisconnect ? LinkStop::AfterGrace : LinkStop::Now)) {
      FinishDisconnect();
      PostTask("command 1087", [this] { m_hooks.observer->OnLinkEnded({}); });
    }
  } catch (const TextError& e) {
    CloseLink(LinkStop::Now);
    ReportFailure("Unable to disconnect.", "Error in Disconnect(): \n" + e.Text());
    m_hooks.observer->ShowStatus("Idle");
    Repaint();
  }
}

// The local lock lights are read here rather than on the connect thread:
// only the window thread may ask the keyboard.
void COrb::OnLinkUp() {
  const uint8_t leds = m_hooks.keyboard->ReadLocalLockLights();
  Trace("m_ucKbdLEDsLocalKVM = %d  @ end of ConnectTCPIP\n", leds);
  m_hooks.observer->OnConnected();
}

void COrb::FinishLinkEnd(const std::string& status, bool closedByMonitor) {
  if (m_shutDown) return;
  if (closedByMonitor)
    FinishDisconnect();
  else
    RestoreLocalMouse();
  if (!status.empty()) m_hooks.observer->ShowStatus(status);
  Repaint();
}

// The last link's threads are finished first: a monitor thread still winding
// down after a disconnect would otherwise step the new walk.
void COrb::RewindFailover() {
  if (!m_state.IsConnecting()) PrepareAttempt();
  m_failover.Rewind();
}

void COrb::StopConnecting() {
  Disconnect(false);
  RequestLinkStop();
  m_failover.Stop("Stopped at your request.\n");
}

void COrb::FailoverStep() {
  if (m_failover.Step(IsLoggedIn())) PostTask("command 1089", [this] { ConnectCurrentTarget(); });
}

bool COrb::IsLinkEnded() const {
  return m_state.Get() == ConnectionState::Idle && !m_failover.IsActive() && !m_monitorRunning;
}

void COrb::SetLoggedIn(bool loggedIn) {
  // A refusal leaves the link up: what follows is the unit's to decide.
  if (loggedIn) {
    m_state.Transition(ConnectionState::LoggedIn);
    EndFailoverWalk();
  } else {
    m_state.TransitionFrom(ConnectionState::LoggedIn, ConnectionState::Connected);
  }
}

void COrb::AbortLogin(const std::string& failureText) {
  EndFailoverWalk();
  Disconnect(false);
  m_failure.SetText(failureText);
}

void COrb::SetCurrentTargetAddress(const std::string& address) {
  const settings::AddressEntry current = CurrentTarget();
  settings::AddressEntry target(current.Location(), address, current.ColorRendering(),
                                settings::TCP_IP, false, current.Quad().servers);
  for (int quadrant = 0; quadrant < 4; ++quadrant)
    target.Quad().quadrants[quadrant] = current.Quad().quadrants[quadrant];
  m_failover.SetTarget(std::move(target));
}

void COrb::OnKeepAliveReceived() { m_counters.keepAliveStamp = Now(); }

void COrb::KeepAliveTick() {
  const int period = m_keepAlivePeriod;
  const int64_t stamp = m_counters.keepAliveStamp;
  if (period != 0 && stamp != 0 && IsConnected() && Now() - stamp > period) {
    Disconnect(false);
    m_counters.keepAliveStamp = 0;
    ReportFailure("The connection with " + m_env.productName + " was lost.",
                  Format("No packet was received within the keep-alive period, currently set to "
                         "%d seconds.",
                         period));
  }
  if (++m_viewTicks % BLOCK_CHECK_TICKS == 0 && m_hooks.video->EndStaleBlock()) {
    try {
      PacketHeader header(REPAINT, 0);
      SendPacket(header);
      Trace("Cleared block.\n");
    } catch (const TextError& e) {
      // A link that cannot carry the REPAINT is broken; the monitor thread reports that.
      Trace("%s\n", e.what());
    }
  }
}

NegotiationResult COrb::Negotiated() const {
  std::lock_guard lock(m_agreedLock);
  return m_agreed;
}

void COrb::ReportFailure(const std::string& title, const std::string& text) {
  m_failure.Set(title, text);
  PostFailure(title, text);
}

void COrb::PostFailure(const std::string& title, const std::string& text) {
  PostTask("command 1084",
           [this, report = FailureReport{title, text}] { m_hooks.observer->OnFailure(report); });
}

bool COrb::PostTask(const char* what, platform::Task task) {
  const bool posted = m_events.Post(std::move(task));
  if (!posted && what) Trace("PostMessage() failed for %s.\n", what);
  return posted;
}

void COrb::PostLinkEnded(const std::string& status, bool closedByMonitor) {
  PostTask("the end of the link",
           [this, status, closedByMonitor] { FinishLinkEnd(status, closedByMonitor); });
  // Posted here, so the observer learns of the closed link before any
  // failure report that follows.
  if (closedByMonitor)
    PostTask("command 1087", [this, status] { m_hooks.observer->OnLinkEnded(status); });
}

void COrb::RequestLinkStop() {
  m_link.RequestStop();
  m_modemLink.RequestStop();
}

void COrb::RestoreLocalMouse() {
  if (m_operatorAcceleration) m_env.pointer.SetAcceleration(*m_operatorAcceleration);
  m_env.pointer.ShowCursor(true);
}

void COrb::Repaint() { m_env.view.Invalidate(std::nullopt, false); }

}  // namespace session

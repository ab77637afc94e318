#include "session/Orb.h"

#include <utility>

#include "platform/Clock.h"
#include "platform/Format.h"
#include "platform/TextError.h"
#include "platform/Trace.h"
#include "platform/WindowMessages.h"
#include "protocol/EncryptionTypes.h"
#include "protocol/PacketTypes.h"
#include "settings/AddrBook.h"
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
      m_hooks{&g_noVideo, &g_noKeyboard, &g_noObserver},
      m_negotiate(m_env.viewerVersion, m_env.productName, *this),
      m_receive(m_ring, *this, m_cipher, m_env.window, m_counters, m_hooks) {
  m_operatorAcceleration = m_env.pointer.GetAcceleration();
  try {
    LoadCurrentTarget();
  } catch (const TextError& e) {
    Trace("%s", e.what());
    CreateFirstRunTarget();
  }
}

COrb::~COrb() {
  Disconnect(false);
  m_socket.Shutdown();
  JoinThreads();
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
  settings::CAddress target;
  target.ReadINIInfo(m_env.ini, "");
  std::lock_guard lock(m_textLock);
  m_target = std::move(target);
}

// A fresh INI file: the MISC defaults, then the one entry every viewer starts with.
void COrb::CreateFirstRunTarget() {
  settings::WriteFirstRunDefaults(m_env.ini);
  settings::CAddress entry = settings::DefaultTarget();
  try {
    entry.SaveToINI(m_env.ini);
  } catch (const TextError& e) {
    // A read-only file still leaves the viewer something to connect to.
    Trace("%s\n", e.what());
  }
  std::lock_guard lock(m_textLock);
  m_target = std::move(entry);
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
    if (Contains(type, "MODEM"))
      // The modem link is not part of this viewer yet.
      throw TextError("Modem connections are not available.");
    if (!Contains(type, settings::TCP_IP))
      throw TextError("Connection type must be a modem or TCP/IP.");
    int timeoutMs = settings::ReadMiscNumber(m_env.ini, "IPConnectTimeMS");
    if (timeoutMs < 1 || timeoutMs > MAX_CONNECT_TIMEOUT_MS) timeoutMs = DEFAULT_CONNECT_TIMEOUT_MS;
    StartConnectTCPIP(timeoutMs);

    m_hooks.observer->OnConnectStarted();
    m_env.window.SetMessageTimer(platform::WindowId::MainWindow, CONNECT_CLOCK_TIMER,
                                 CONNECT_CLOCK_MS);
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
  const settings::CAddress target = CurrentTarget();
  const bool several = target.LastSlot() > 0;
  const bool worded = message.rfind("--", 0) == 0;
  if (!several) {
    if (worded)
      m_env.dialogs.MessageBox(m_env.productName,
                               message.substr(std::min<size_t>(3, message.size())),
                               platform::DialogButtons::Ok, platform::DialogIcon::Information);
    else
      m_env.dialogs.ShowError("Unable to connect.", "Could not connect: " + message);
    return;
  }
  if (worded)
    AppendFailoverText("While connecting to: " + target.Address() + "\n" + message + "\n\n");
  else
    AppendFailoverText("Unable to connect.\n" + message + "\n\n");
}

void COrb::StartConnectTCPIP(int connectTimeoutMs) {
  if (m_state.IsConnecting()) return;
  // A connect while a link is up replaces it.
  if (IsConnected()) Disconnect(false);
  m_socket.Shutdown();
  JoinThreads();
  if (!m_state.TransitionFrom(ConnectionState::Idle, ConnectionState::Connecting)) return;
  try {
    m_connectThread = std::thread([this, connectTimeoutMs] { ConnectTCPIP(connectTimeoutMs); });
  } catch (const std::system_error&) {
    m_state.Transition(ConnectionState::Idle);
    const std::string title = "Could not create a thread to connect TCP/IP.";
    SetFailureTitle(title);
    throw TextError(title);
  }
}

void COrb::JoinThreads() {
  if (m_connectThread.joinable() && m_connectThread.get_id() != std::this_thread::get_id())
    m_connectThread.join();
  if (m_monitorThread.joinable() && m_monitorThread.get_id() != std::this_thread::get_id())
    m_monitorThread.join();
}

void COrb::Disconnect(bool sendDisconnect) {
  std::lock_guard serial(m_disconnectLock);
  if (!IsConnected()) return;
  try {
    if (sendDisconnect) {
      PacketHeader header(DISCONNECT, 0);
      SendPacket(header);
      platform::Sleep(DISCONNECT_GRACE_MS);
    }
    m_hooks.observer->OnDisconnecting();
    RestoreLocalMouse();
    m_ring.Clear();
    m_state.Transition(ConnectionState::Idle);
    m_counters.ResetView();
    // The monitor thread wakes from its receive and closes the socket itself,
    // so the descriptor cannot be reused under it.
    m_socket.Shutdown();
    m_hooks.observer->OnConnectionClosed();
    PostCommand(CMD_CLOSED, 0);
    m_cipher.SetSessionCipher(ENCRYPTION_NONE);
  } catch (const TextError& e) {
    m_state.Transition(ConnectionState::Idle);
    ReportFailure("Unable to disconnect.", "Error in Disconnect(): \n" + e.Text());
    m_hooks.observer->ShowStatus("Idle");
    Repaint();
  }
}

void COrb::RewindFailover() {
  std::lock_guard lock(m_textLock);
  m_target.Rewind();
  m_target.SetRestarted(true);
  m_target.SetFailoverText("");
  m_failoverActive = m_target.LastSlot() > 0;
}

void COrb::StopConnecting() {
  Disconnect(false);
  m_socket.Shutdown();
  std::lock_guard lock(m_textLock);
  m_target.SetFailoverText("Stopped at your request.\n");
  m_failoverActive = false;
}

void COrb::FailoverStep() {
  std::lock_guard lock(m_textLock);
  if (!m_failoverActive) return;
  const int next = m_target.CurrentSlot() + 1;
  if (next <= m_target.LastSlot()) {
    const std::string failed = m_target.Address();
    m_target.SelectSlot(next);
    Trace(
        "%s\n",
        ("Connect to " + failed + " failed,\ntrying " + m_target.Address()).substr(0, 200).c_str());
    PostCommand(CMD_CONNECT_NEXT, CMD_CONNECT_NEXT);
    return;
  }
  m_failoverActive = false;
  if (!IsLoggedIn() && m_target.LastSlot() > 0)
    m_target.AppendFailoverText("\n\nAll attempts failed.\n");
}

void COrb::OnLoggedIn() {
  m_state.Transition(ConnectionState::LoggedIn);
  EndFailoverWalk();
}

void COrb::OnLoginRefused() {
  m_state.TransitionFrom(ConnectionState::LoggedIn, ConnectionState::Connected);
}

void COrb::SetCurrentTargetAddress(const std::string& address) {
  std::lock_guard lock(m_textLock);
  settings::CAddress target(m_target.Location(), address, m_target.ColorRendering(),
                            settings::TCP_IP, false, m_target.Servers());
  for (int quadrant = 0; quadrant < 4; ++quadrant)
    target.SetQuadrant(quadrant, m_target.Quadrant(quadrant));
  m_target = std::move(target);
}

void COrb::OnKeepAliveReceived() { m_counters.keepAliveStamp = platform::CalendarSeconds(); }

void COrb::KeepAliveTick() {
  const int period = m_keepAlivePeriod;
  const int64_t stamp = m_counters.keepAliveStamp;
  if (period != 0 && stamp != 0 && platform::CalendarSeconds() - stamp > period) {
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

std::string COrb::FailureTitle() const {
  std::lock_guard lock(m_textLock);
  return m_failureTitle;
}

std::string COrb::FailureText() const {
  std::lock_guard lock(m_textLock);
  return m_failureText;
}

std::string COrb::FailoverText() const {
  std::lock_guard lock(m_textLock);
  return m_target.FailoverText();
}

NegotiationResult COrb::Negotiated() const {
  std::lock_guard lock(m_textLock);
  return m_agreed;
}

std::string COrb::ConnectionType() const {
  std::lock_guard lock(m_textLock);
  return m_target.ConnectionType();
}

settings::CAddress COrb::CurrentTarget() const {
  std::lock_guard lock(m_textLock);
  return m_target;
}

void COrb::SetFailure(const std::string& title, const std::string& text) {
  std::lock_guard lock(m_textLock);
  m_failureTitle = title;
  m_failureText = text;
}

void COrb::SetFailureTitle(const std::string& title) {
  std::lock_guard lock(m_textLock);
  m_failureTitle = title;
}

void COrb::SetFailureText(const std::string& text) {
  std::lock_guard lock(m_textLock);
  m_failureText = text;
}

void COrb::AppendFailoverText(const std::string& text) {
  std::lock_guard lock(m_textLock);
  m_target.AppendFailoverText(text);
}

void COrb::ReportFailure(const std::string& title, const std::string& text) {
  SetFailure(title, text);
  PostCommand(CMD_REPORT_FAILURE, CMD_REPORT_FAILURE);
}

void COrb::PostCommand(uint32_t command, intptr_t secondParameter) {
  if (!m_env.window.Post(platform::MakeMessage(platform::WindowId::MainWindow, platform::WM_COMMAND,
                                               command, secondParameter)))
    Trace("PostMessage() failed for command %u.\n", command);
}

void COrb::RestoreLocalMouse() {
  if (m_operatorAcceleration) m_env.pointer.SetAcceleration(*m_operatorAcceleration);
  m_env.pointer.ShowCursor(true);
}

void COrb::Repaint() { m_env.view.Invalidate(std::nullopt, false); }

}  // namespace session

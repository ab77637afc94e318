#include "session/UnitSession.h"

#include <array>
#include <utility>

#include "platform/Format.h"
#include "platform/TextError.h"
#include "platform/Trace.h"
#include "protocol/EncryptionTypes.h"
#include "protocol/LittleEndian.h"
#include "protocol/PacketTypes.h"
#include "settings/MiscSettings.h"

namespace session {
namespace {

// The hooks in force while the parts above have installed none.
VideoSink g_noVideo;
KeyboardLink g_noKeyboard;
SessionObserver g_noObserver;

}  // namespace

UnitSession::UnitSession(const SessionEnvironment& environment, Link& link, FailoverWalk& failover)
    : m_env(environment),
      m_link(link),
      m_failover(failover),
      m_clock(m_env.clock ? *m_env.clock : platform::SystemCalendarClock()),
      m_hooks{&g_noVideo, &g_noKeyboard, &g_noObserver},
      m_events(m_env.window),
      m_receive(m_ring, *this, m_cipher, m_events, m_counters, m_hooks, m_clock),
      m_graceTimer(m_env.window) {
  m_operatorAcceleration = m_env.pointer.GetAcceleration();
  m_link.SetEvents(*this);
}

UnitSession::~UnitSession() { Shutdown(); }

void UnitSession::Shutdown() {
  if (m_shutDown) return;
  if (m_graceEnds && m_link.WaitForMonitorEnd(*m_graceEnds)) m_graceEnds.reset();
  Disconnect(false);
  m_shutDown = true;
  m_graceTimer.Stop();
  m_link.RequestStop();
  m_link.Join();
}

void UnitSession::SetHooks(const SessionHooks& hooks) {
  if (hooks.video) m_hooks.video = hooks.video;
  if (hooks.keyboard) m_hooks.keyboard = hooks.keyboard;
  if (hooks.observer) m_hooks.observer = hooks.observer;
}

void UnitSession::SetOperatorAcceleration(const platform::MouseAcceleration& acceleration) {
  m_operatorAcceleration = acceleration;
}

void UnitSession::PrepareAttempt(bool overModem) {
  // A connect while a link is up replaces it.
  if (IsConnected()) Disconnect(false);
  m_graceTimer.Stop();
  m_graceEnds.reset();
  m_link.Prepare(overModem);
  m_keepAlivePeriod = settings::ReadMiscNumber(m_env.ini, "KeepAliveTime");
}

void UnitSession::AnnounceConnect() {
  m_hooks.observer->OnConnectStarted();
  m_hooks.video->ClearBlock();
}

bool UnitSession::StartStream(const NegotiationResult& agreed) {
  EncryptionTypes& types = m_cipher.Types();
  types.SetOffered(ENCRYPTION_NONE, agreed.offeredCiphers & OFFERED_NONE);
  types.SetOffered(ENCRYPTION_BLOWFISH, agreed.offeredCiphers & OFFERED_BLOWFISH);
  types.SetOffered(ENCRYPTION_TRIPLE_DES, agreed.offeredCiphers & OFFERED_TRIPLE_DES);
  if (EncryptionTypes::IsValid(agreed.specialDataCipher))
    types.SetSpecial(agreed.specialDataCipher);
  else
    types.ClearSpecial();
  m_counters.videoSegmentMode = agreed.videoSegmentMode;
  m_negotiatedCipher = agreed.sessionCipher;
  m_ring.Clear();
  // The unit resends from the count of packets since this connection was made.
  m_counters.receivedPackets = 0;
  return m_hooks.video->InitDecompression();
}

std::optional<std::string> UnitSession::BringLinkUp(const std::string& stoppedText,
                                                    bool& monitorStarted) {
  // A stop that came during the negotiation must not see a link come up.
  if (!m_state.TransitionFrom(ConnectionState::Connecting, ConnectionState::Connected) ||
      m_link.IsStopping())
    return stoppedText;
  m_counters.ResetView();
  try {
    m_link.StartMonitorThread();
  } catch (const std::system_error&) {
    return std::string("Could not create a thread to receive from the unit.\n");
  }
  monitorStarted = true;

  if (!PostTask(nullptr, [this] { OnLinkUp(); })) return std::string("PostMessage() failed.\n");
  return std::nullopt;
}

void UnitSession::PostNotice(const std::string& text) {
  PostTask(nullptr, [this, text] { m_hooks.observer->OnNotice(text); });
}

void UnitSession::OnProgress(const std::string& text) {
  Trace("%s\n", text.c_str());
  PostTask(nullptr, [this, text] { m_hooks.observer->OnConnecting(text); });
}

bool UnitSession::CloseLink(LinkStop when) {
  if (!m_state.LeaveConnected()) return false;
  // The keep-alive watch ends with the link: nothing stale may report it lost later.
  m_counters.keepAliveStamp = 0;
  m_ring.Clear();
  m_counters.ResetView();
  if (when == LinkStop::Now) {
    // The monitor thread wakes and closes the socket (or port) itself, so
    // the descriptor cannot be reused under it.
    m_link.RequestStop();
  } else {
    m_graceEnds = std::chrono::steady_clock::now() + std::chrono::milliseconds(DISCONNECT_GRACE_MS);
    m_graceTimer.StartOnce(DISCONNECT_GRACE_MS, [this] {
      m_graceEnds.reset();
      m_link.RequestStop();
    });
  }
  m_cipher.SetSessionCipher(ENCRYPTION_NONE);
  return true;
}

void UnitSession::FinishDisconnect() {
  m_hooks.observer->OnDisconnecting();
  RestoreLocalMouse();
  m_hooks.observer->OnConnectionClosed();
}

void UnitSession::Disconnect(bool sendDisconnect) {
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
void UnitSession::OnLinkUp() {
  const uint8_t leds = m_hooks.keyboard->ReadLocalLockLights();
  Trace("m_ucKbdLEDsLocalKVM = %d  @ end of ConnectTCPIP\n", leds);
  m_hooks.observer->OnConnected();
}

void UnitSession::FinishLinkEnd(const std::string& status, bool closedByMonitor) {
  if (m_shutDown) return;
  if (closedByMonitor)
    FinishDisconnect();
  else
    RestoreLocalMouse();
  if (!status.empty()) m_hooks.observer->ShowStatus(status);
  Repaint();
}

void UnitSession::OnMonitorEnded() {
  if (m_failoverStep) m_failoverStep();
}

void UnitSession::SetLoggedIn(bool loggedIn, const LoginGrant& grant) {
  // A refusal leaves the link up: what follows is the unit's to decide.
  if (loggedIn) {
    m_state.Transition(ConnectionState::LoggedIn);
    m_failover.End();
    m_hooks.observer->OnLoggedIn(grant);
  } else {
    m_state.TransitionFrom(ConnectionState::LoggedIn, ConnectionState::Connected);
  }
}

void UnitSession::AbortLogin(const std::string& failureText) {
  m_failover.End();
  Disconnect(false);
  m_failure.SetText(failureText);
}

void UnitSession::OnKeepAliveReceived() { m_counters.keepAliveStamp = Now(); }

void UnitSession::KeepAliveTick() {
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

void UnitSession::ReportFailure(const std::string& title, const std::string& text) {
  m_failure.Set(title, text);
  PostFailure(title, text);
}

void UnitSession::PostFailure(const std::string& title, const std::string& text) {
  PostTask("command 1084",
           [this, report = FailureReport{title, text}] { m_hooks.observer->OnFailure(report); });
}

bool UnitSession::PostTask(const char* what, platform::Task task) {
  const bool posted = m_events.Post(std::move(task));
  if (!posted && what) Trace("PostMessage() failed for %s.\n", what);
  return posted;
}

void UnitSession::OnMonitorStarted() {
  try {
    SendKeepAlive();
  } catch (const TextError& e) {
    // The link broke as it came up; the receive that follows meets the same
    // broken link and ends the session as a lost link, not as a fault of ours.
    Trace("%s\n", e.what());
  }
}

void UnitSession::OnReceived(const uint8_t* bytes, size_t count) {
  m_receive.Receive(bytes, count);
}

void UnitSession::OnLinkEnded(const std::string& status, bool closed) {
  m_state.Transition(ConnectionState::Idle);
  PostTask("the end of the link", [this, status, closed] { FinishLinkEnd(status, closed); });
  // Posted here, so the observer learns of the closed link before any
  // failure report that follows.
  if (closed) PostTask("command 1087", [this, status] { m_hooks.observer->OnLinkEnded(status); });
}

bool UnitSession::OnCallBackAnswered() {
  if (!m_hooks.video->InitDecompression()) return false;
  m_ring.Clear();
  m_counters.receivedPackets = 0;
  return true;
}

void UnitSession::OnCallBackLinkUp() {
  PostTask("command 1086", [this] { OnLinkUp(); });
}

void UnitSession::Resynchronise() {
  // The flag first: the monitor thread looks for the unit's markers before it
  // reads on, and the request below is the one packet that still goes out.
  m_link.BeginResynch();
  std::array<uint8_t, 4> count;
  StoreLE32(count.data(), m_counters.receivedPackets);
  PacketHeader header(RESEND_FROM, 0);
  SendPacket(header, {count.data(), count.size()});
  m_ring.Clear();
}

void UnitSession::SendBadChecksumReport(std::span<const uint8_t> headerStart,
                                        std::span<const uint8_t> payload) {
  PacketHeader header(PING, 2);
  SendPacket(header, {headerStart.data(), headerStart.size()}, {payload.data(), payload.size()});
}

void UnitSession::RestoreLocalMouse() {
  if (m_operatorAcceleration) m_env.pointer.SetAcceleration(*m_operatorAcceleration);
  m_env.pointer.ShowCursor(true);
}

void UnitSession::Repaint() { m_env.view.Invalidate(std::nullopt, false); }

}  // namespace session

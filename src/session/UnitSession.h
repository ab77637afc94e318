#pragma once
// The session with one unit over its link: the connection's state and the
// counters the receive path keeps, the cipher, every packet sent, the
// keep-alive watch, the login's state, the failure the operator is told of,
// and closing. It is the Session the layers above work with, and it hears
// the link's threads (LinkEvents); making the link is the Connector's.
//
// Threads: the window thread calls everything but SendPacket and the state
// queries, which any thread may call. What the operator must see reaches
// the window thread as tasks that call the observer (EventPoster).

#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>

#include "platform/Clock.h"
#include "platform/Desktop.h"
#include "platform/HostLookup.h"
#include "platform/WindowThread.h"
#include "protocol/PacketReader.h"
#include "protocol/PayloadCipher.h"
#include "protocol/RingBuffer.h"
#include "session/ConnectionState.h"
#include "session/EventPoster.h"
#include "session/FailoverWalk.h"
#include "session/FailureRecord.h"
#include "session/Link.h"
#include "session/NegotiationResult.h"
#include "session/ReceivePath.h"
#include "session/Session.h"
#include "session/SessionCounters.h"
#include "session/SessionHooks.h"
#include "settings/IniFile.h"

namespace session {

// The view timer calls KeepAliveTick this often; every BLOCK_CHECK_TICKS a
// video block left standing is cleared.
inline constexpr uint32_t VIEW_TIMER_MS = 10;
inline constexpr uint32_t BLOCK_CHECK_TICKS = 50;
// A DISCONNECT is given this long to leave the machine before the socket
// closes; a window thread timer, so nothing waits for it.
inline constexpr uint32_t DISCONNECT_GRACE_MS = 1500;

// What the session's parts work with; all must outlive them.
struct SessionEnvironment {
  settings::IniFile& ini;
  platform::WindowThread& window;
  platform::ViewWindow& view;
  platform::OperatorDialogs& dialogs;
  platform::PointerDevice& pointer;
  std::string productName;
  std::string viewerVersion;
  // The keep-alive watch's clock; the system's when null.
  const platform::CalendarClock* clock = nullptr;
  // Host-name lookup; the system's resolver when empty.
  platform::HostResolver resolver = {};
};

class UnitSession : public Session, private ReceiveLink, private LinkEvents {
 public:
  UnitSession(const SessionEnvironment& environment, Link& link, FailoverWalk& failover);
  // Shutdown(), if the owner has not called it.
  ~UnitSession() override;
  UnitSession(const UnitSession&) = delete;
  UnitSession& operator=(const UnitSession&) = delete;

  // Install before the first connect; a null member keeps the default.
  void SetHooks(const SessionHooks& hooks);
  // The operator's own mouse acceleration, restored whenever a link closes.
  void SetOperatorAcceleration(const platform::MouseAcceleration& acceleration);
  // How the failover walk takes its next step when a monitor thread ends
  // (from that thread).
  void SetFailoverStep(std::function<void()> step) { m_failoverStep = std::move(step); }
  // Ends the session for good: a DISCONNECT still leaving gets what is left
  // of its grace period, then the link closes and its threads are joined,
  // whatever state they are in. The hooks are not called afterwards.
  void Shutdown();

  // Window thread, before a connect thread starts: whatever is left of the
  // previous link is ended, and the next one goes over a modem or over TCP.
  void PrepareAttempt(bool overModem);
  // A connect command began (window thread): the observer hears, and the
  // new connection's video starts unblocked.
  void AnnounceConnect();
  // The connect thread: a new stream begins with what the negotiation agreed
  // (ciphers offered, video segment mode), an empty ring buffer and fresh
  // decompression; false when the decompression cannot be prepared.
  bool StartStream(const NegotiationResult& agreed);
  // The connect thread's last step: the connected state, the monitor thread,
  // the news to the window thread. The failure text, or nothing.
  std::optional<std::string> BringLinkUp(const std::string& stoppedText, bool& monitorStarted);
  // A modem line's progress for the operator, from any thread.
  void PostProgress(const std::string& text) { OnProgress(text); }
  void PostNotice(const std::string& text);

  // Every packet leaves here, from any thread. Throws the failure as text.
  void SendPacket(PacketHeader& header, PayloadPiece piece1 = {}, PayloadPiece piece2 = {},
                  PayloadPiece piece3 = {}) override;
  // The view timer, every 10 ms: the keep-alive watch and the video block.
  void KeepAliveTick();
  void OnKeepAliveReceived() override;
  void SetLoggedIn(bool loggedIn, const LoginGrant& grant = {}) override;
  void AbortLogin(const std::string& failureText) override;
  void Disconnect(bool sendDisconnect) override;
  void ReportFailure(const std::string& title, const std::string& text) override;

  // State, for the other parts of the viewer (any thread).
  SessionState& State() { return m_state; }
  bool IsConnected() const override { return m_state.IsConnected(); }
  bool IsLoggedIn() const override { return m_state.IsLoggedIn(); }
  std::string TargetLocation() const override { return m_failover.Target().Location(); }
  std::string TargetAddress() const override { return m_failover.Target().Addresses().Address(); }
  int NegotiatedCipher() const override { return m_negotiatedCipher; }
  PayloadCipher& Cipher() override { return m_cipher; }
  SessionCounters& Counters() override { return m_counters; }
  FailureRecord& Failure() override { return m_failure; }

 private:
  // ReceiveLink, for the packet cutter.
  bool IsSerialLineUp() const override { return m_link.IsSerialLineUp(); }
  void Resynchronise() override;
  void SendBadChecksumReport(std::span<const uint8_t> headerStart,
                             std::span<const uint8_t> payload) override;
  void SetFailureTitle(const std::string& title) override { m_failure.SetTitle(title); }
  // LinkEvents, for the link's threads.
  void OnMonitorStarted() override;
  void OnReceived(const uint8_t* bytes, size_t count) override;
  void OnResynchronised() override { m_hooks.video->ResumeAfterLoss(); }
  bool CloseLink() override { return CloseLink(LinkStop::Now); }
  void OnLinkEnded(const std::string& status, bool closed) override;
  void RecordFailure(const std::string& title, const std::string& text) override {
    m_failure.Set(title, text);
  }
  void PostFailure(const std::string& title, const std::string& text) override;
  void OnMonitorEnded() override;
  void OnProgress(const std::string& text) override;
  bool OnCallBackAnswered() override;
  void OnCallBackLinkUp() override;

  void SendKeepAlive();
  // Posts work for the window thread, from any thread; a refusal is traced
  // as "PostMessage() failed for <what>." unless what is null.
  bool PostTask(const char* what, platform::Task task);
  void RestoreLocalMouse();
  void Repaint();
  int64_t Now() const { return m_clock.Seconds(); }

  // The link's half of Disconnect, from any thread: leaves the connected
  // state and stops the link, at once or once the DISCONNECT had its grace.
  // True for the one caller that closed it.
  enum class LinkStop { Now, AfterGrace };
  bool CloseLink(LinkStop when);
  // The operator's half, on the window thread (the observer hears separately).
  void FinishDisconnect();
  // Window thread: what the operator sees of a link a thread of it ended.
  void FinishLinkEnd(const std::string& status, bool closedByMonitor);
  // Window thread: the link is up (the connect thread's last news).
  void OnLinkUp();

  SessionEnvironment m_env;
  Link& m_link;
  FailoverWalk& m_failover;
  const platform::CalendarClock& m_clock;
  SessionHooks m_hooks;
  std::function<void()> m_failoverStep;
  SessionState m_state;
  SessionCounters m_counters;
  // Before the parts that post, and gone only after the threads are joined.
  EventPoster m_events;
  RingBuffer m_ring;
  PayloadCipher m_cipher;
  ReceivePath m_receive;
  FailureRecord m_failure;

  std::atomic<int> m_negotiatedCipher{0};
  std::atomic<int> m_keepAlivePeriod{60};
  // Window thread only.
  uint32_t m_viewTicks = 0;
  std::optional<std::chrono::steady_clock::time_point> m_graceEnds;
  platform::Timer m_graceTimer;
  bool m_shutDown = false;
  std::optional<platform::MouseAcceleration> m_operatorAcceleration;
};

}  // namespace session

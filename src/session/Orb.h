#pragma once
// The session controller: owns the connection to the unit. It connects to the
// current target on a connect thread (walking the target's failover addresses
// when an attempt fails), runs the negotiation, receives on a monitor thread,
// sends every packet, watches the link with keep-alives and closes it. The
// layers above hear about the link through the SessionObserver of its hooks.
//
// Threads: the window thread calls everything but SendPacket and the state
// queries, which any thread may call. The connect and monitor threads never
// touch the desktop: what the operator must see they post to the window
// thread as tasks that call the observer (EventPoster), and the next failover
// step as a task that connects it.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/Clock.h"
#include "platform/Desktop.h"
#include "platform/HostLookup.h"
#include "platform/WindowThread.h"
#include "protocol/PacketReader.h"
#include "protocol/PayloadCipher.h"
#include "protocol/RingBuffer.h"
#include "session/ConnectionReport.h"
#include "session/ConnectionState.h"
#include "session/EventPoster.h"
#include "session/FailoverWalk.h"
#include "session/FailureRecord.h"
#include "session/ModemLink.h"
#include "session/Negotiator.h"
#include "session/ReceivePath.h"
#include "session/Session.h"
#include "session/SessionCounters.h"
#include "session/SessionHooks.h"
#include "session/TcpLink.h"
#include "settings/AddressEntry.h"
#include "settings/IniFile.h"

namespace session {

// The view timer calls KeepAliveTick this often; every BLOCK_CHECK_TICKS a
// video block left standing is cleared.
inline constexpr uint32_t VIEW_TIMER_MS = 10;
inline constexpr uint32_t BLOCK_CHECK_TICKS = 50;
// A DISCONNECT is given this long to leave the machine before the socket
// closes; a window thread timer, so nothing waits for it.
inline constexpr uint32_t DISCONNECT_GRACE_MS = 1500;

// What the controller works with; all must outlive it.
struct OrbEnvironment {
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

class COrb : public Session, private ConnectionReport, private ReceiveLink {
 public:
  explicit COrb(OrbEnvironment environment);
  // Shutdown(), if the owner has not called it.
  ~COrb() override;
  COrb(const COrb&) = delete;
  COrb& operator=(const COrb&) = delete;

  // Install before the first connect; a null member keeps the default.
  void SetHooks(const SessionHooks& hooks);
  // While the unit calls back over a modem nothing may be sent.
  void SetCallBackInProgress(bool inProgress) { m_callBack = inProgress; }
  // The operator's own mouse acceleration, restored whenever a link closes.
  void SetOperatorAcceleration(const platform::MouseAcceleration& acceleration);
  // Ends the session for good: a DISCONNECT still leaving gets what is left
  // of its grace period, then the link closes and both threads are joined,
  // whatever state they are in. The hooks are not called afterwards.
  void Shutdown();

  // The connect command: the main window's unit selection becomes the
  // current target, which is then connected.
  void Connect(int selection, const std::string& selectionText);
  // Makes the main window's unit selection the current target (CURRSEL, CURRSELTEXT).
  void SelectUnit(int selection, const std::string& selectionText);
  // Connects the current target as it stands (also the next failover step).
  void ConnectCurrentTarget();
  // An address given on the command line: the current target keeps its name and
  // settings but has this one TCP/IP address for the run.
  void SetCurrentTargetAddress(const std::string& address);
  // Starts the TCP connect thread unless an attempt is already running.
  void StartConnectTCPIP(int connectTimeoutMs);
  // Starts the modem connect thread for the current target unless an attempt
  // is already running.
  void StartConnectModem();
  // Whether a connection type goes over a modem or cable: it names a modem,
  // or it is the model of a modem installed in the modem database.
  bool IsModemType(const std::string& connectionType) const;
  // The unit announced a call-back (CALL_BACK, window thread): the line is
  // dropped and the unit's call awaited and answered on the connect thread;
  // nothing is sent meanwhile.
  void WaitForCallBack();
  bool IsCallBackInProgress() const { return m_callBack; }
  bool IsResynchronising() const { return m_resynching; }
  // The modem link's engine while one exists (tests look at its line).
  modem::Modem* Modem() const { return m_modemLink.Modem(); }
  void Disconnect(bool sendDisconnect) override;

  // The connect progress dialog: a fresh walk through the target's addresses
  // before connecting, and its stop button.
  void RewindFailover();
  void StopConnecting();
  // No further address is tried (login reached, or the operator cancelled it).
  void EndFailoverWalk() { m_failover.End(); }

  // Every packet leaves here, from any thread. Throws the failure as text.
  void SendPacket(PacketHeader& header, PayloadPiece piece1 = {}, PayloadPiece piece2 = {},
                  PayloadPiece piece3 = {}) override;
  void SendKeepAlive();
  void SendTimingPacket() override;
  void HandleTestPacket(const PacketHeader& header, const uint8_t* payload, size_t length) override;
  // The rate the unit chooses its compression by, measured or pretended.
  void SendObservedRate(int32_t rate);

  // The view timer, every 10 ms: the keep-alive watch and the video block.
  void KeepAliveTick();
  void OnKeepAliveReceived() override;
  void SetLoggedIn(bool loggedIn) override;
  void AbortLogin(const std::string& failureText) override;
  void RecordHandled(uint32_t queueNumber) override { m_counters.lastHandled = queueNumber; }
  void SetVideoSegmentMode(int32_t mode) override { m_counters.videoSegmentMode = mode; }

  // State, for the other parts of the viewer (any thread).
  const SessionState& State() const { return m_state; }
  bool IsConnected() const override { return m_state.IsConnected(); }
  bool IsLoggedIn() const override { return m_state.IsLoggedIn(); }
  bool IsMonitorRunning() const { return m_monitorRunning; }
  bool IsFailoverActive() const { return m_failover.IsActive(); }
  // Idle, with no attempt or failover step still to come.
  bool IsLinkEnded() const;
  const FailureRecord& Failure() const { return m_failure; }
  std::string FailoverText() const { return m_failover.Text(); }
  settings::AddressEntry CurrentTarget() const { return m_failover.Target(); }
  std::string ConnectionType() const { return m_failover.ConnectionType(); }
  std::string TargetLocation() const override { return CurrentTarget().Location(); }
  std::string TargetAddress() const override { return CurrentTarget().Addresses().Address(); }
  const std::string& ProductName() const { return m_env.productName; }
  int KeepAlivePeriod() const { return m_keepAlivePeriod; }
  uint32_t TotalBytesReceived() const { return m_totalBytesReceived; }
  int64_t LastSendTime() const { return m_lastSendTime; }
  // What the last negotiation agreed (the login takes its session cipher from here).
  NegotiationResult Negotiated() const;
  int NegotiatedCipher() const override { return Negotiated().sessionCipher; }
  const SessionCounters& Counters() const { return m_counters; }
  PayloadCipher& Cipher() override { return m_cipher; }

  void ReportFailure(const std::string& title, const std::string& text) override;
  // A connect command collects the unit's texts until the attempt ends.
  void BeginConnectAttempt() { m_failure.BeginAttempt(); }
  bool IsConnectAttemptInProgress() const override { return m_failure.IsAttemptInProgress(); }
  void EndConnectAttempt() override { m_failure.EndAttempt(); }
  void AppendAttemptMessage(const std::string& text) override {
    m_failure.AppendAttemptMessage(text);
  }

 private:
  // ConnectionReport, for the negotiation.
  void SetFailureText(const std::string& text) override { m_failure.SetText(text); }
  void AppendFailoverText(const std::string& text) override { m_failover.AppendText(text); }
  // ReceiveLink, for the packet cutter.
  bool IsSerialLineUp() const override;
  void Resynchronise() override;
  void SendBadChecksumReport(std::span<const uint8_t> headerStart,
                             std::span<const uint8_t> payload) override;
  void SetFailureTitle(const std::string& title) override { m_failure.SetTitle(title); }

  void LoadCurrentTarget();
  void CreateFirstRunTarget();
  void ReportConnectFailure(const std::string& message);
  // Posts work for the window thread, from any thread; a refusal is traced
  // as "PostMessage() failed for <what>." unless what is null.
  bool PostTask(const char* what, platform::Task task);
  // Tells the observer of a failure already recorded.
  void PostFailure(const std::string& title, const std::string& text);
  void FailoverStep();
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

  void ConnectTCPIP(int connectTimeoutMs);
  // The steps that can fail; the failure text, or nothing once connected.
  std::optional<std::string> OpenAndNegotiate(const std::string& address, int connectTimeoutMs,
                                              bool& stopWalk, bool& monitorStarted);
  std::optional<std::string> ConnectSocket(const std::string& address, int connectTimeoutMs);
  // Window thread, before either link's connect thread starts: whatever is
  // left of the previous link is ended.
  void PrepareAttempt();
  // The connect thread's last step on either link: the connected state, the
  // monitor thread, the news to the window thread. The failure text, or nothing.
  std::optional<std::string> BringLinkUp(LinkThreads& link, std::function<void()> monitor,
                                         const std::string& stoppedText, bool& monitorStarted);
  std::optional<uint32_t> LookUp(const std::string& host);
  void TakeOverNegotiation();
  void MonitorTCPThread();
  // The modem link (OrbModem.cpp).
  void ConnectModemThread();
  std::optional<std::string> OpenModemAndNegotiate(bool& monitorStarted);
  void MonitorModemThread();
  // One step of the modem monitor; false once the thread should end.
  bool MonitorModemStep(modem::Modem& modem, std::vector<uint8_t>& buffer, uint32_t& emptyReads);
  void EndModemMonitor(const std::string& status, const std::string& failureTitle);
  void CallBackThread();
  void PostStatus(const std::string& text);
  // Stops whichever link is up (both, as only one ever runs).
  void RequestLinkStop();
  void EndMonitor(const std::string& failure, bool unknown);
  void PostLinkEnded(const std::string& status, bool closedByMonitor);

  OrbEnvironment m_env;
  const platform::CalendarClock& m_clock;
  SessionHooks m_hooks;
  SessionState m_state;
  SessionCounters m_counters;
  // Before the parts that post, and gone only after the threads are joined.
  EventPoster m_events;
  RingBuffer m_ring;
  PayloadCipher m_cipher;
  Negotiator m_negotiate;
  ReceivePath m_receive;
  FailoverWalk m_failover;
  FailureRecord m_failure;
  TcpLink m_link;
  ModemLink m_modemLink;
  // The link in use (or being made) is the modem link.
  std::atomic<bool> m_modemActive{false};
  // The modem monitor saw the call-back begin and no longer reads the port.
  std::atomic<bool> m_monitorParked{false};
  std::atomic<bool> m_resynching{false};

  mutable std::mutex m_agreedLock;
  NegotiationResult m_agreed;

  std::atomic<bool> m_monitorRunning{false};
  std::atomic<bool> m_callBack{false};
  std::atomic<int> m_keepAlivePeriod{60};
  std::atomic<uint32_t> m_totalBytesReceived{0};
  std::atomic<int64_t> m_lastSendTime{0};
  // Window thread only.
  uint32_t m_viewTicks = 0;
  std::optional<std::chrono::steady_clock::time_point> m_graceEnds;
  platform::Timer m_graceTimer;
  bool m_shutDown = false;
  std::optional<platform::MouseAcceleration> m_operatorAcceleration;
};

}  // namespace session

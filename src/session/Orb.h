#pragma once
// The session controller: owns the connection to the unit. It connects to the
// current target on a connect thread (walking the target's failover addresses
// when an attempt fails), runs the negotiation, receives on a monitor thread,
// sends every packet, watches the link with keep-alives and closes it. The
// main window hears about the link through the commands posted to it.

#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "platform/Desktop.h"
#include "platform/TcpSocket.h"
#include "platform/WindowThread.h"
#include "protocol/PacketForming.h"
#include "protocol/PacketReader.h"
#include "protocol/PacketSender.h"
#include "protocol/PayloadCipher.h"
#include "protocol/RingBuffer.h"
#include "session/ConnectionReport.h"
#include "session/ConnectionState.h"
#include "session/Negotiate.h"
#include "session/ReceivePath.h"
#include "session/SessionCounters.h"
#include "session/SessionHooks.h"
#include "settings/Address.h"
#include "settings/IniFile.h"

namespace session {

// WM_COMMAND ids posted to the main window (both message parameters carry the
// id, but 1087 goes with 0 as the second).
inline constexpr uint32_t CMD_REPORT_FAILURE = 1084;
inline constexpr uint32_t CMD_CONNECTED = 1086;
inline constexpr uint32_t CMD_CLOSED = 1087;
inline constexpr uint32_t CMD_CONNECT_NEXT = 1089;
// The main window's connect clock.
inline constexpr uint32_t CONNECT_CLOCK_TIMER = 101;
inline constexpr uint32_t CONNECT_CLOCK_MS = 1000;
// The view timer calls KeepAliveTick this often; every BLOCK_CHECK_TICKS a
// video block left standing is cleared.
inline constexpr uint32_t VIEW_TIMER_MS = 10;
inline constexpr uint32_t BLOCK_CHECK_TICKS = 50;
// A DISCONNECT is given this long to leave the machine before the socket closes.
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
};

class COrb : public PacketSender, private ConnectionReport, private ReceiveLink {
 public:
  explicit COrb(OrbEnvironment environment);
  // Closes the link and waits for the connect and monitor threads.
  ~COrb() override;
  COrb(const COrb&) = delete;
  COrb& operator=(const COrb&) = delete;

  // Install before the first connect; a null member keeps the default.
  void SetHooks(const SessionHooks& hooks);
  // While the unit calls back over a modem nothing may be sent.
  void SetCallBackInProgress(bool inProgress) { m_callBack = inProgress; }
  // The operator's own mouse acceleration, restored whenever a link closes.
  void SetOperatorAcceleration(const platform::MouseAcceleration& acceleration);

  // The connect command (window thread): the main window's unit selection
  // becomes the current target, which is then connected.
  void Connect(int selection, const std::string& selectionText);
  // Makes the main window's unit selection the current target (CURRSEL, CURRSELTEXT).
  void SelectUnit(int selection, const std::string& selectionText);
  // Connects the current target as it stands (command 1089 after a failover step).
  void ConnectCurrentTarget();
  // An address given on the command line: the current target keeps its name and
  // settings but has this one TCP/IP address for the run.
  void SetCurrentTargetAddress(const std::string& address);
  // Starts the TCP connect thread unless an attempt is already running.
  void StartConnectTCPIP(int connectTimeoutMs);
  void Disconnect(bool sendDisconnect);

  // The connect progress dialog: a fresh walk through the target's addresses
  // before connecting, and its stop button.
  void RewindFailover();
  void StopConnecting();
  // No further address is tried (login reached, or the operator cancelled it).
  void EndFailoverWalk() { m_failoverActive = false; }
  // Tries the current target's next address, if a walk is under way.
  void FailoverStep();

  // Every packet leaves here, from any thread. Throws the failure as text.
  void SendPacket(PacketHeader& header, PayloadPiece piece1 = {}, PayloadPiece piece2 = {},
                  PayloadPiece piece3 = {}) override;
  void SendKeepAlive();
  void SendTimingPacket();
  void HandleTestPacket(const PacketHeader& header, const uint8_t* payload, size_t length);
  // The rate the unit chooses its compression by, measured or pretended.
  void SendObservedRate(int32_t rate);

  // The view timer, every 10 ms: the keep-alive watch and the video block.
  void KeepAliveTick();
  // The dispatcher saw the unit's KEEP_ALIVE: arms or refreshes the watch.
  void OnKeepAliveReceived();
  // The login saw LOGGED_IN granting access, or refusing it.
  void OnLoggedIn();
  void OnLoginRefused();

  // State, for the other parts of the viewer.
  const SessionState& State() const { return m_state; }
  bool IsConnected() const override { return m_state.IsConnected(); }
  bool IsLoggedIn() const { return m_state.IsLoggedIn(); }
  bool IsMonitorRunning() const { return m_monitorRunning; }
  bool IsFailoverActive() const { return m_failoverActive; }
  std::string FailureTitle() const;
  std::string FailureText() const;
  std::string FailoverText() const;
  settings::CAddress CurrentTarget() const;
  std::string ConnectionType() const;
  const std::string& ProductName() const { return m_env.productName; }
  int KeepAlivePeriod() const { return m_keepAlivePeriod; }
  uint32_t TotalBytesReceived() const { return m_totalBytesReceived; }
  int64_t LastSendTime() const { return m_lastSendTime; }
  // What the last negotiation agreed (the login takes its session cipher from here).
  NegotiationResult Negotiated() const;
  SessionCounters& Counters() { return m_counters; }
  PayloadCipher& Cipher() { return m_cipher; }
  CRingBuffer& Ring() { return m_ring; }

  void SetFailure(const std::string& title, const std::string& text);
  void SetFailureTitle(const std::string& title) override;
  // The failure title and text reported to the operator (command 1084).
  void ReportFailure(const std::string& title, const std::string& text);

 private:
  // ConnectionReport, for the negotiation.
  void SetFailureText(const std::string& text) override;
  void AppendFailoverText(const std::string& text) override;
  // ReceiveLink, for the packet cutter.
  bool IsSerialLineUp() const override { return false; }
  void Resynchronise() override;
  void SendBadChecksumReport(std::span<const uint8_t> headerStart,
                             std::span<const uint8_t> payload) override;

  void LoadCurrentTarget();
  void CreateFirstRunTarget();
  void ReportConnectFailure(const std::string& message);
  void PostCommand(uint32_t command, intptr_t secondParameter);
  void RestoreLocalMouse();
  void Repaint();
  void JoinThreads();
  // Closes the socket once no other thread can be using it.
  void CloseSocket();

  void ConnectTCPIP(int connectTimeoutMs);
  // The steps that can fail; the failure text, or nothing once connected.
  std::optional<std::string> OpenAndNegotiate(const std::string& address, int connectTimeoutMs,
                                              bool& stopWalk, bool& monitorStarted);
  std::optional<std::string> ConnectSocket(const std::string& address, int connectTimeoutMs);
  void TakeOverNegotiation();
  void MonitorTCPThread();
  void EndMonitor(const std::string& failure, bool unknown);

  OrbEnvironment m_env;
  SessionHooks m_hooks;
  SessionState m_state;
  SessionCounters m_counters;
  CRingBuffer m_ring;
  PayloadCipher m_cipher;
  CNegotiate m_negotiate;
  ReceivePath m_receive;
  platform::TcpSocket m_socket;

  mutable std::mutex m_sendLock;
  std::mutex m_disconnectLock;
  mutable std::mutex m_textLock;  // failure title and text, the current target, m_agreed
  std::string m_failureTitle;
  std::string m_failureText;
  settings::CAddress m_target;

  std::thread m_connectThread;
  std::thread m_monitorThread;
  std::atomic<bool> m_monitorRunning{false};
  std::atomic<bool> m_failoverActive{false};
  std::atomic<bool> m_callBack{false};
  std::atomic<int> m_keepAlivePeriod{60};
  std::atomic<uint32_t> m_totalBytesReceived{0};
  std::atomic<int64_t> m_lastSendTime{0};
  uint32_t m_viewTicks = 0;  // window thread only
  std::optional<platform::MouseAcceleration> m_operatorAcceleration;
  NegotiationResult m_agreed;
};

}  // namespace session

#pragma once
// Connection set-up: the current target (the main window's unit selection,
// or an address given for the run), the connect command, and the connect
// thread that opens a TCP socket or a modem line, negotiates and hands the
// link to the session; a failed attempt goes on with the target's next
// failover address. The operator is told of a failure at once when the
// target has one address, else in the failover text the connect progress
// dialog shows.
//
// Threads: the window thread calls everything; the connect thread is its own.

#include <mutex>
#include <optional>
#include <string>

#include "session/ConnectionReport.h"
#include "session/EventPoster.h"
#include "session/FailoverWalk.h"
#include "session/Link.h"
#include "session/Negotiator.h"
#include "session/UnitSession.h"
#include "settings/AddressEntry.h"

namespace session {

class Connector : private ConnectionReport {
 public:
  Connector(const SessionEnvironment& environment, UnitSession& session, Link& link,
            FailoverWalk& failover);
  // The session's threads are ended first: the connect thread works on this.
  ~Connector() override;
  Connector(const Connector&) = delete;
  Connector& operator=(const Connector&) = delete;

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
  // Whether a connection type goes over a modem or cable: it names a modem,
  // or it is the model of a modem installed in the modem database.
  bool IsModemType(const std::string& connectionType) const;

  // The connect progress dialog: a fresh walk through the target's addresses
  // before connecting, and its stop button.
  void RewindFailover();
  void StopConnecting();
  bool IsConnecting() const { return m_session.State().IsConnecting(); }
  bool IsFailoverActive() const { return m_failover.IsActive(); }
  std::string FailoverText() const { return m_failover.Text(); }
  settings::AddressEntry CurrentTarget() const { return m_failover.Target(); }
  // Idle, with no attempt or failover step still to come.
  bool IsLinkEnded() const;
  const std::string& ProductName() const { return m_env.productName; }
  // What the last negotiation agreed (the unit's version among it).
  NegotiationResult Negotiated() const;

 private:
  // ConnectionReport, for the negotiation.
  void SetFailureText(const std::string& text) override { m_session.Failure().SetText(text); }
  void AppendFailoverText(const std::string& text) override { m_failover.AppendText(text); }

  void LoadCurrentTarget();
  void CreateFirstRunTarget();
  void ReportConnectFailure(const std::string& message);
  // Starts the connect thread for the link unless an attempt is already running.
  void StartConnect(bool overModem, int connectTimeoutMs);
  // The connect thread's end of a failed attempt: the failure recorded and
  // added to the failover text, then the next address unless the walk stops.
  void EndFailedAttempt(const std::string& failure, bool stopWalk);
  // Any thread: the next failover address, if the walk goes on, is connected
  // on the window thread.
  void StepFailover();
  // The connect thread, once negotiated: the session takes over what was agreed.
  bool StartStream();

  // The TCP link (ConnectTcp.cpp).
  void ConnectTCPIP(int connectTimeoutMs);
  // The steps that can fail; the failure text, or nothing once connected.
  std::optional<std::string> OpenAndNegotiate(const std::string& address, int connectTimeoutMs,
                                              bool& stopWalk, bool& monitorStarted);
  std::optional<std::string> ConnectSocket(const std::string& address, int connectTimeoutMs);
  // The modem link (ConnectModem.cpp).
  void ConnectModemThread();
  std::optional<std::string> OpenModemAndNegotiate(bool& monitorStarted);

  SessionEnvironment m_env;
  UnitSession& m_session;
  Link& m_link;
  FailoverWalk& m_failover;
  Negotiator m_negotiate;
  mutable std::mutex m_agreedLock;
  NegotiationResult m_agreed;
  // Gone before the parts its tasks use.
  EventPoster m_events;
};

}  // namespace session

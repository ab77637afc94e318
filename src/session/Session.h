#pragma once
// What the layers above the session need of it: the login, the dispatcher
// of incoming packets, the initial packets and the view's geometry all work
// through this one interface. UnitSession implements it; tests give a
// recording fake.
//
// Threads: SendPacket and the state and target queries may be called from
// any thread; everything else belongs to the window thread.

#include <string>

#include "protocol/PacketHeader.h"
#include "protocol/PacketSender.h"
#include "protocol/PayloadCipher.h"
#include "session/FailureRecord.h"
#include "session/SessionCounters.h"
#include "session/SessionHooks.h"

namespace session {

class Session : public PacketSender {
 public:
  virtual bool IsConnected() const = 0;
  virtual bool IsLoggedIn() const = 0;
  // The current target's location name (which also names its settings
  // section) and the address in use.
  virtual std::string TargetLocation() const = 0;
  virtual std::string TargetAddress() const = 0;

  // The "encryption" value agreed in the negotiation; 0 when none was.
  virtual int NegotiatedCipher() const = 0;
  virtual PayloadCipher& Cipher() = 0;

  // LOGGED_IN: the logged-in state is entered with what the login was
  // granted (the failover walk ends, the observer hears), or left.
  virtual void SetLoggedIn(bool loggedIn, const LoginGrant& grant = {}) = 0;
  // The operator cancelled a password login: the failover walk ends and the
  // link closes without a DISCONNECT, leaving failureText for the operator.
  virtual void AbortLogin(const std::string& failureText) = 0;
  virtual void Disconnect(bool sendDisconnect) = 0;

  // The numbers the receive path and the view keep for the session (the last
  // block handled, the video segment mode, the keep-alive stamp).
  virtual SessionCounters& Counters() = 0;
  // The unit's KEEP_ALIVE: arms or refreshes the keep-alive watch.
  virtual void OnKeepAliveReceived() = 0;
  // Records the failure's title and text and tells the observer (OnFailure).
  virtual void ReportFailure(const std::string& title, const std::string& text) = 0;
  // What the operator will be told: the failure, and the unit's texts a
  // connect attempt in progress collects instead of showing them.
  virtual FailureRecord& Failure() = 0;
};

}  // namespace session

#pragma once
// What the login asks of the session it runs in. The session controller
// answers it in the running viewer; tests answer it with a recorder.

#include <string>

#include "protocol/PacketForming.h"
#include "protocol/PacketHeader.h"
#include "protocol/PayloadCipher.h"

namespace session {

class LoginLink {
 public:
  virtual ~LoginLink() = default;

  virtual void SendPacket(PacketHeader& header, PayloadPiece piece = {}) = 0;
  // The line speed test that lets the unit choose its compression.
  virtual void SendTimingPacket() = 0;

  // The current target's location name and the address in use.
  virtual std::string TargetLocation() const = 0;
  virtual std::string TargetAddress() const = 0;

  // The "encryption" value agreed in the negotiation; 0 when none was.
  virtual int NegotiatedCipher() const = 0;
  virtual PayloadCipher& Cipher() = 0;

  // LOGGED_IN: the logged-in flag is set (the failover walk ends) or cleared.
  virtual void SetLoggedIn(bool loggedIn) = 0;
  // The operator cancelled a password login: the failover walk ends and the
  // link closes without a DISCONNECT, leaving failureText for the operator.
  virtual void AbortLogin(const std::string& failureText) = 0;
};

}  // namespace session

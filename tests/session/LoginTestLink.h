#pragma once
// A session for the login to run in without a socket: it keeps what was sent,
// plain, and what the login did to the session.

#include <cstdint>
#include <string>
#include <vector>

#include "protocol/EncryptionTypes.h"
#include "protocol/PacketHeader.h"
#include "protocol/PayloadCipher.h"
#include "session/LoginLink.h"

struct SentPacket {
  PacketHeader header;
  std::vector<uint8_t> payload;
};

class LoginTestLink : public virtual session::LoginLink {
 public:
  void SendPacket(PacketHeader& header, PayloadPiece piece = {}) override {
    const auto* bytes = static_cast<const uint8_t*>(piece.data);
    sent.push_back({header, std::vector<uint8_t>(bytes, bytes + (bytes ? piece.length : 0))});
  }
  void SendTimingPacket() override { ++timingPackets; }
  std::string TargetLocation() const override { return "Lab"; }
  std::string TargetAddress() const override { return "10.0.0.5"; }
  int NegotiatedCipher() const override { return negotiated; }
  PayloadCipher& Cipher() override { return cipher; }
  void SetLoggedIn(bool value) override { loggedIn = value; }
  void AbortLogin(const std::string& failureText) override {
    aborted = true;
    failure = failureText;
  }

  std::vector<SentPacket> sent;
  int timingPackets = 0;
  int negotiated = ENCRYPTION_BLOWFISH;
  PayloadCipher cipher;
  bool loggedIn = false;
  bool aborted = false;
  std::string failure;
};

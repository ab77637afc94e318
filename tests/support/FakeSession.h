#pragma once
// A session for the parts above the session controller to run in without a
// socket: it keeps every packet sent, plain, and what was done to the session.

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/TextError.h"
#include "protocol/EncryptionTypes.h"
#include "protocol/PacketHeader.h"
#include "protocol/PayloadCipher.h"
#include "session/Session.h"

struct SentPacket {
  PacketHeader header;
  std::vector<uint8_t> payload;
};

class FakeSession : public session::Session {
 public:
  void SendPacket(PacketHeader& header, PayloadPiece piece1 = {}, PayloadPiece piece2 = {},
                  PayloadPiece piece3 = {}) override {
    if (failSends) throw TextError("Error sending: error code 32");
    SentPacket packet{header, {}};
    for (const PayloadPiece& piece : {piece1, piece2, piece3}) {
      const auto* bytes = static_cast<const uint8_t*>(piece.data);
      if (bytes) packet.payload.insert(packet.payload.end(), bytes, bytes + piece.length);
    }
    sent.push_back(std::move(packet));
  }
  bool IsConnected() const override { return connected; }
  bool IsLoggedIn() const override { return loggedIn; }
  std::string TargetLocation() const override { return location; }
  std::string TargetAddress() const override { return "10.0.0.5"; }
  int NegotiatedCipher() const override { return negotiated; }
  PayloadCipher& Cipher() override { return cipher; }
  void SetLoggedIn(bool value, const session::LoginGrant& given) override {
    loggedIn = value;
    grant = given;
  }
  void AbortLogin(const std::string& failureText) override {
    aborted = true;
    failure = failureText;
  }
  void Disconnect(bool) override {
    ++disconnects;
    connected = false;
  }
  session::SessionCounters& Counters() override { return counters; }
  void OnKeepAliveReceived() override { ++keepAlives; }
  void ReportFailure(const std::string& title, const std::string& text) override {
    failureTitle = title;
    failureText = text;
  }
  session::FailureRecord& Failure() override { return record; }

  size_t SentCount(uint8_t type) const {
    return static_cast<size_t>(
        std::count_if(sent.begin(), sent.end(),
                      [type](const SentPacket& packet) { return packet.header.type == type; }));
  }

  std::vector<SentPacket> sent;
  std::string location = "Lab";
  bool failSends = false;
  bool connected = true;
  bool loggedIn = false;
  session::LoginGrant grant;
  int negotiated = ENCRYPTION_BLOWFISH;
  PayloadCipher cipher;
  bool aborted = false;
  std::string failure;
  int disconnects = 0;
  session::SessionCounters counters;
  int keepAlives = 0;
  std::string failureTitle, failureText;
  // The failure record, with the unit's texts a connect attempt collects.
  session::FailureRecord record;
};

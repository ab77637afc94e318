#pragma once
// The session controller as the dispatcher and the login see it.

#include <mutex>
#include <string>

#include "session/Orb.h"
#include "settings/IniFile.h"
#include "view/DispatchPorts.h"

namespace view {

class OrbSessionPort : public SessionPort {
 public:
  OrbSessionPort(session::COrb& orb, settings::IniFile& ini) : m_orb(orb), m_ini(ini) {}

  // A connect command marks the attempt; the unit's texts are collected
  // until it ends.
  void BeginConnectAttempt();
  std::string AttemptMessages() const;

  // session::LoginLink
  void SendPacket(PacketHeader& header, PayloadPiece piece = {}) override;
  void SendTimingPacket() override;
  std::string TargetLocation() const override;
  std::string TargetAddress() const override;
  int NegotiatedCipher() const override;
  PayloadCipher& Cipher() override;
  void SetLoggedIn(bool loggedIn) override;
  void AbortLogin(const std::string& failureText) override;

  // SessionPort
  bool IsConnected() const override;
  void DecryptPayload(uint8_t* payload, size_t length, const PacketHeader& header) override;
  void Disconnect(bool sendDisconnect) override;
  void RecordHandled(uint32_t queueNumber) override;
  void SetVideoSegmentMode(int32_t mode) override;
  void OnKeepAliveReceived() override;
  void HandleTestPacket(const PacketHeader& header, const uint8_t* payload, size_t length) override;
  void ReportFailure(const std::string& title, const std::string& text) override;
  std::string ReadColorRendering() override;
  bool IsConnectAttemptInProgress() const override;
  void EndConnectAttempt() override;
  void AppendAttemptMessage(const std::string& text) override;

 private:
  session::COrb& m_orb;
  settings::IniFile& m_ini;
  mutable std::mutex m_mutex;
  bool m_attemptInProgress = false;
  std::string m_attemptMessages;
};

}  // namespace view

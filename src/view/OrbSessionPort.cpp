#include "view/OrbSessionPort.h"

#include "settings/Address.h"

namespace view {

void OrbSessionPort::BeginConnectAttempt() {
  std::lock_guard lock(m_mutex);
  m_attemptInProgress = true;
  m_attemptMessages.clear();
}

std::string OrbSessionPort::AttemptMessages() const {
  std::lock_guard lock(m_mutex);
  return m_attemptMessages;
}

void OrbSessionPort::SendPacket(PacketHeader& header, PayloadPiece piece) {
  m_orb.SendPacket(header, piece);
}

void OrbSessionPort::SendTimingPacket() { m_orb.SendTimingPacket(); }

std::string OrbSessionPort::TargetLocation() const { return m_orb.CurrentTarget().Location(); }

std::string OrbSessionPort::TargetAddress() const { return m_orb.CurrentTarget().Address(); }

int OrbSessionPort::NegotiatedCipher() const { return m_orb.Negotiated().sessionCipher; }

PayloadCipher& OrbSessionPort::Cipher() { return m_orb.Cipher(); }

void OrbSessionPort::SetLoggedIn(bool loggedIn) {
  // A refusal leaves the link up: what follows is the unit's to decide.
  if (loggedIn)
    m_orb.OnLoggedIn();
  else
    m_orb.OnLoginRefused();
}

void OrbSessionPort::AbortLogin(const std::string& failureText) {
  m_orb.EndFailoverWalk();
  m_orb.Disconnect(false);
  m_orb.SetFailure(m_orb.FailureTitle(), failureText);
}

bool OrbSessionPort::IsConnected() const { return m_orb.IsConnected(); }

void OrbSessionPort::DecryptPayload(uint8_t* payload, size_t length, const PacketHeader& header) {
  m_orb.Cipher().DecryptPayload(payload, length, header);
}

void OrbSessionPort::Disconnect(bool sendDisconnect) { m_orb.Disconnect(sendDisconnect); }

void OrbSessionPort::RecordHandled(uint32_t queueNumber) {
  m_orb.Counters().lastHandled = queueNumber;
}

void OrbSessionPort::SetVideoSegmentMode(int32_t mode) { m_orb.Counters().videoSegmentMode = mode; }

void OrbSessionPort::OnKeepAliveReceived() { m_orb.OnKeepAliveReceived(); }

void OrbSessionPort::HandleTestPacket(const PacketHeader& header, const uint8_t* payload,
                                      size_t length) {
  m_orb.HandleTestPacket(header, payload, length);
}

void OrbSessionPort::ReportFailure(const std::string& title, const std::string& text) {
  m_orb.ReportFailure(title, text);
}

std::string OrbSessionPort::ReadColorRendering() {
  settings::CAddress target;
  target.ReadINIInfo(m_ini, "");
  return target.ColorRendering();
}

bool OrbSessionPort::IsConnectAttemptInProgress() const {
  std::lock_guard lock(m_mutex);
  return m_attemptInProgress;
}

void OrbSessionPort::EndConnectAttempt() {
  std::lock_guard lock(m_mutex);
  m_attemptInProgress = false;
}

void OrbSessionPort::AppendAttemptMessage(const std::string& text) {
  std::lock_guard lock(m_mutex);
  m_attemptMessages += text;
}

}  // namespace view

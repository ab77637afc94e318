// The dispatcher of incoming packets on a logged-in session with a headless
// view, fed whatever packets the input holds. Input: the session cipher
// (0 NONE, 1 BLOWFISH, 2 TRIPLE DES), then packets, each the type, the
// subtype, a flags byte (bit 0: encrypted), DataSize and the payload length
// (16-bit each) and the payload.
//
// The dispatcher never throws; a failure that is not a warning ends the
// connection, and every packet it sends in reply can be formed.

#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "platform/HeadlessDialogs.h"
#include "platform/HeadlessView.h"
#include "protocol/EncryptionTypes.h"
#include "protocol/PacketForming.h"
#include "session/Login.h"
#include "session/PostedPacket.h"
#include "session/Session.h"
#include "settings/IniFile.h"
#include "view/KVMDispatcher.h"

namespace {

class Session : public session::Session {
 public:
  explicit Session(int cipher) {
    const std::array<uint8_t, 20> blowfish = {1,  2,  3,  4,  5,  6,  7,  8,  9,  10,
                                              11, 12, 13, 14, 15, 16, 17, 18, 19, 20};
    m_cipher.SetKeys(blowfish, {1, 2, 3, 4, 5, 6, 7, 0}, {8, 9, 10, 11, 12, 13, 14, 0},
                     {9, 11, 9, 15, 9, 11, 9, 0});
    m_cipher.SetSessionCipher(cipher);
  }

  void SendPacket(PacketHeader& header, PayloadPiece piece1, PayloadPiece piece2,
                  PayloadPiece piece3) override {
    if (!connected) return;
    FormPacket(header, m_cipher, piece1, piece2, piece3);
    ++sent;
  }
  std::string TargetLocation() const override { return "Lab"; }
  std::string TargetAddress() const override { return "127.0.0.1"; }
  int NegotiatedCipher() const override { return m_cipher.SessionCipher(); }
  PayloadCipher& Cipher() override { return m_cipher; }
  bool IsLoggedIn() const override { return true; }
  void SetLoggedIn(bool, const session::LoginGrant&) override {}
  void AbortLogin(const std::string&) override { connected = false; }

  bool IsConnected() const override { return connected; }
  void Disconnect(bool) override { connected = false; }
  session::SessionCounters& Counters() override { return m_counters; }
  void OnKeepAliveReceived() override {}
  void ReportFailure(const std::string&, const std::string& text) override { failure = text; }
  session::FailureRecord& Failure() override { return m_record; }

  bool connected = true;
  int sent = 0;
  std::string failure;

 private:
  PayloadCipher m_cipher;
  session::SessionCounters m_counters;
  session::FailureRecord m_record;
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::InstallFormattingSink();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static settings::IniFile ini("/nonexistent/orb-fuzz/Remote.ini");
  fuzz::Input input(data, size);
  static constexpr int CIPHERS[] = {ENCRYPTION_NONE, ENCRYPTION_BLOWFISH, ENCRYPTION_TRIPLE_DES};
  Session session(CIPHERS[input.Byte() % 3]);
  platform::HeadlessView view;
  platform::HeadlessDialogs dialogs;
  session::Login login(session, ini, dialogs, "Tessaline");
  login.SetGivenAnswers("admin", "admin");
  view::KVMDispatcher dispatcher(session, login, view, dialogs, "Tessaline");

  uint32_t queued = 0;
  while (input.Left() > 0 && session.connected) {
    PacketHeader header(input.Byte(), input.Byte());
    header.encrypted = input.Byte() & 1;
    header.DataSize = input.Word();
    const auto bytes = input.Take(input.Word());
    header.PayloadSize = static_cast<uint16_t>(bytes.size());
    session::PostedPacket packet(header, bytes.data(), bytes.size(), ++queued);
    session.failure.clear();
    fuzz::Require(dispatcher.OnPacket(packet), "a packet was not handled");
    if (!session.failure.empty() && session.failure.find("WARNING:") == std::string::npos)
      fuzz::Require(!session.connected, "a failure left the connection up");
  }
  return 0;
}

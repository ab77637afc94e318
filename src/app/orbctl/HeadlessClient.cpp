#include "HeadlessClient.h"

#include <array>

#include "Password.h"
#include "platform/Clock.h"
#include "platform/TextError.h"
#include "platform/Trace.h"
#include "protocol/LittleEndian.h"
#include "protocol/PacketTypes.h"

namespace orbctl {
namespace {

constexpr platform::Size LOCAL_SCREEN{1920, 1080};
// The two pings sent right after login come back before orbctl times its own.
constexpr uint32_t INITIAL_PINGS = 2;
// How long after a change is acknowledged in order a refusal is still waited for.
constexpr std::chrono::milliseconds REFUSAL_GRACE{500};

}  // namespace

HeadlessClient::HeadlessClient(const Options& options, const std::string& productName,
                               const std::string& viewerVersion)
    : m_options(options),
      m_password(GivenPassword(options)),
      m_deadline(std::chrono::steady_clock::now() + std::chrono::milliseconds(options.timeoutMs)),
      m_view(options.size, LOCAL_SCREEN),
      m_viewer(core::ViewerSetup{options.ini, productName, viewerVersion, true},
               core::Desktop{m_loop, m_view, m_dialogs, m_keyboard, m_pointer}) {
  m_viewer.Login().SetGivenAnswers(options.user, m_password);
  // The window moves as the view fits it; each move is a WM_SIZE.
  m_view.SetSizeListener([this](platform::Size size) {
    try {
      m_viewer.OnViewSize(size);
    } catch (const TextError& e) {
      Trace("%s\n", e.Text().c_str());
    }
  });
  m_viewer.Start();
}

// An address on the command line stands in for the current entry's for this
// run only; the address book is left as it was.
void HeadlessClient::Connect() {
  RequireAnswerableLogin(m_options.user.has_value(), m_password.has_value(), m_viewer.Ini());
  m_viewer.Connect(m_options.connect);
}

void HeadlessClient::LogIn() {
  Connect();
  RunUntil([&] { return m_viewer.Session().IsLoggedIn(); });
}

void HeadlessClient::LogInAsAdministrator() {
  LogIn();
  if (!m_viewer.Login().IsAdministrator())
    throw TextError("The account logged in has no administrator rights on the unit.");
}

void HeadlessClient::RunUntil(const std::function<bool()>& done) {
  const session::Login& login = m_viewer.Login();
  for (;;) {
    const auto left =
        std::chrono::ceil<std::chrono::milliseconds>(m_deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) break;
    // Short slices, so that a link ending on another thread is seen at once.
    m_loop.RunUntil([&] { return done() || m_viewer.IsLinkEnded() || login.Refusals() > 0; },
                    static_cast<uint32_t>(std::min<int64_t>(left.count(), 50)));
    if (done()) return;
    if (login.Refusals() > 0) throw TextError("The unit refused the login.");
    if (m_viewer.IsLinkEnded()) {
      const std::string failure = m_viewer.FailureText();
      throw TextError(failure.empty() ? "The connection was closed." : failure);
    }
  }
  throw TextError("No answer from the unit within " + std::to_string(m_options.timeoutMs) + " ms.");
}

PingReport HeadlessClient::Ping() {
  session::Session& session = m_viewer.Session();
  const view::KVMDispatcher& dispatcher = m_viewer.Dispatcher();
  Connect();
  RunUntil([&] {
    return session.IsLoggedIn() && dispatcher.ReceiveCount(PING_RESPONSE) >= INITIAL_PINGS;
  });

  PingRoundTrip();

  PingReport report;
  report.unitVersion = m_viewer.Connector().Negotiated().unitVersion;
  report.administrator = m_viewer.Login().IsAdministrator();
  report.cipherName = session.Cipher().Types().Name(session.Cipher().SessionCipher());
  report.tripMs = dispatcher.LastPingTrip() * 0.001;
  return report;
}

void HeadlessClient::PingRoundTrip() {
  const view::KVMDispatcher& dispatcher = m_viewer.Dispatcher();
  // Known by its stamp: an answer to an earlier ping (the two sent at login)
  // may still be on its way, and would end the wait before what came first.
  const auto now = static_cast<uint32_t>(platform::MicrosecondCount());
  const uint32_t stamp = now != dispatcher.LastPingStamp() ? now : now + 1;
  std::array<uint8_t, 4> bytes;
  StoreLE32(bytes.data(), stamp);
  PacketHeader ping(PING, 0);
  m_viewer.Session().SendPacket(ping, {bytes.data(), bytes.size()});
  RunUntil([&] { return dispatcher.LastPingStamp() == stamp; });
}

void HeadlessClient::SendAndConfirm(const std::function<void()>& send) {
  const uint32_t texts = m_viewer.Dispatcher().ReceiveCount(TEXT_MSG);
  send();
  PingRoundTrip();
  // A unit may answer a ping before it has written out its refusal.
  const auto settled = std::chrono::steady_clock::now() + REFUSAL_GRACE;
  RunUntil([&] { return std::chrono::steady_clock::now() >= settled; });
  if (m_viewer.Dispatcher().ReceiveCount(TEXT_MSG) > texts)
    throw TextError("The unit did not take the change: " + m_dialogs.LastNotice());
}

void HeadlessClient::Disconnect() { m_viewer.Session().Disconnect(true); }

}  // namespace orbctl

#include "HeadlessClient.h"

#include <array>

#include "platform/Clock.h"
#include "platform/TextError.h"
#include "platform/WindowMessages.h"
#include "protocol/LittleEndian.h"
#include "protocol/PacketTypes.h"

namespace orbctl {
namespace {

constexpr uint32_t VIEW_TIMER = 1;
constexpr platform::Size LOCAL_SCREEN{1920, 1080};
// The two pings sent right after login come back before orbctl times its own.
constexpr uint32_t INITIAL_PINGS = 2;

}  // namespace

HeadlessClient::HeadlessClient(const Options& options, const std::string& productName,
                               const std::string& viewerVersion)
    : m_options(options),
      m_deadline(std::chrono::steady_clock::now() + std::chrono::milliseconds(options.timeoutMs)),
      m_ini(options.ini),
      m_view(options.size, LOCAL_SCREEN),
      m_orb(session::OrbEnvironment{m_ini, m_loop, m_view, m_dialogs, m_pointer, productName,
                                    viewerVersion}),
      m_port(m_orb, m_ini),
      m_login(m_port, m_ini, m_dialogs, productName),
      m_dispatcher(m_port, m_login, m_view, m_dialogs, productName) {
  m_login.SetGivenAnswers(options.user, options.password);
  m_loop.SetDispatcher([this](platform::Message& message) { OnMessage(message); });
  m_loop.SetTimer(VIEW_TIMER, session::VIEW_TIMER_MS, [this] { m_orb.KeepAliveTick(); });
}

HeadlessClient::~HeadlessClient() { m_loop.KillTimer(VIEW_TIMER); }

void HeadlessClient::OnMessage(platform::Message& message) {
  if (message.window == platform::WindowId::View) {
    m_dispatcher.KVMMessageHandler(message);
    return;
  }
  if (message.message == platform::WM_COMMAND && message.wParam == session::CMD_CONNECT_NEXT)
    m_orb.ConnectCurrentTarget();
}

// An address on the command line stands in for the current entry's for this
// run only; the address book is left as it was.
void HeadlessClient::Connect() {
  if (m_options.connect) m_orb.SetCurrentTargetAddress(*m_options.connect);
  m_orb.RewindFailover();
  m_port.BeginConnectAttempt();
  m_orb.ConnectCurrentTarget();
}

bool HeadlessClient::LinkEnded() const {
  return m_orb.State().Get() == session::ConnectionState::Idle && !m_orb.IsFailoverActive();
}

void HeadlessClient::RunUntil(const std::function<bool()>& done) {
  for (;;) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(
        m_deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) break;
    // Short slices, so that a link ending on another thread is seen at once.
    m_loop.RunUntil([&] { return done() || LinkEnded() || m_login.Refusals() > 0; },
                    static_cast<uint32_t>(std::min<int64_t>(left.count(), 50)));
    if (done()) return;
    if (m_login.Refusals() > 0) throw TextError("The unit refused the login.");
    if (LinkEnded()) throw TextError(FailureText());
  }
  throw TextError("No answer from the unit within " + std::to_string(m_options.timeoutMs) + " ms.");
}

std::string HeadlessClient::FailureText() const {
  for (const std::string& text : {m_dispatcher.ErrorLongText(), m_orb.FailureText(),
                                  m_dialogs.LastError(), m_port.AttemptMessages()})
    if (!text.empty()) return text;
  return "The connection was closed.";
}

PingReport HeadlessClient::Ping() {
  Connect();
  RunUntil([&] {
    return m_orb.IsLoggedIn() && m_dispatcher.ReceiveCount(PING_RESPONSE) >= INITIAL_PINGS;
  });

  const uint32_t answered = m_dispatcher.ReceiveCount(PING_RESPONSE);
  std::array<uint8_t, 4> stamp;
  StoreLE32(stamp.data(), static_cast<uint32_t>(platform::MicrosecondCount()));
  PacketHeader ping(PING, 0);
  m_orb.SendPacket(ping, {stamp.data(), stamp.size()});
  RunUntil([&] { return m_dispatcher.ReceiveCount(PING_RESPONSE) > answered; });

  PingReport report;
  report.unitVersion = m_orb.Negotiated().unitVersion;
  report.administrator = m_login.IsAdministrator();
  report.cipherName = m_orb.Cipher().Types().Name(m_orb.Cipher().SessionCipher());
  report.tripMs = m_dispatcher.LastPingTrip() * 0.001;
  return report;
}

void HeadlessClient::Disconnect() { m_orb.Disconnect(true); }

}  // namespace orbctl

#include "core/ViewerCore.h"

#include <filesystem>
#include <utility>

#include "view/OperatorMessages.h"

namespace core {
namespace {

// Opened before the other parts, so that what they trace as they start is logged.
std::unique_ptr<settings::ScopedTraceLog> OpenTraceLog(const ViewerSetup& setup,
                                                       const settings::IniFile& ini) {
  if (!setup.traceLog) return nullptr;
  // The log and Filters.txt go beside the settings file.
  return std::make_unique<settings::ScopedTraceLog>(
      ini, std::filesystem::absolute(setup.iniPath).parent_path());
}

}  // namespace

ViewerCore::ViewerCore(const ViewerSetup& setup, const Desktop& desktop)
    : m_desktop(desktop),
      m_productName(setup.productName),
      m_ini(setup.iniPath),
      m_traceLog(OpenTraceLog(setup, m_ini)),
      m_acceleration(m_ini, desktop.pointer),
      m_bmp(m_ini),
      m_video(m_bmp, desktop.window, *this),
      m_link(m_ini, setup.productName),
      m_session(MakeSessionEnvironment(setup, desktop), m_link, m_failover),
      m_connector(MakeSessionEnvironment(setup, desktop), m_session, m_link, m_failover),
      m_login(m_session, m_ini, desktop.dialogs, setup.productName),
      m_geometry(desktop.view, m_bmp, m_session, desktop.window, m_ini, desktop.dialogs),
      m_rendering(m_ini, m_session),
      m_keyboard(MakeInputEnvironment(setup, desktop)),
      m_mouse(MakeInputEnvironment(setup, desktop), m_keyboard),
      m_input(m_session, desktop.view, m_keyboard, m_mouse, m_geometry, m_dispatcher),
      m_admin(m_session, m_link),
      m_dispatcher(m_session, m_login, desktop.view, desktop.dialogs, setup.productName),
      m_viewTimer(m_bmp, m_geometry, desktop.view, desktop.window, [this] {
        m_session.KeepAliveTick();
        m_mouse.CheckEscapedCursor();
      }) {
  if (m_acceleration.Kept()) m_session.SetOperatorAcceleration(*m_acceleration.Kept());
  m_session.SetHooks({&m_video, &m_keyboard, this});
  m_dispatcher.SetHandlers({&m_geometry, &m_input, &m_admin, &m_rendering});
  m_geometry.SetViewChangeListener(&m_input);
}

session::SessionEnvironment ViewerCore::MakeSessionEnvironment(const ViewerSetup& setup,
                                                               const Desktop& desktop) {
  return {m_ini,           desktop.window,    desktop.view,        desktop.dialogs,
          desktop.pointer, setup.productName, setup.viewerVersion, setup.clock,
          setup.resolver};
}

input::InputEnvironment ViewerCore::MakeInputEnvironment(const ViewerSetup& setup,
                                                         const Desktop& desktop) {
  const auto scrollLine = [this](platform::ScrollBar bar, bool towardsEnd) {
    m_geometry.Scroll(bar, towardsEnd ? view::ScrollAction::LineDown : view::ScrollAction::LineUp);
  };
  return {m_session,
          m_ini,
          desktop.window,
          desktop.view,
          desktop.dialogs,
          desktop.keyboard,
          desktop.pointer,
          setup.productName,
          scrollLine,
          {},
          {},
          [this] { return m_geometry.IsQuadView(); }};
}

ViewerCore::~ViewerCore() {
  m_viewTimer.Stop();
  m_session.Shutdown();
}

void ViewerCore::SetSessionObserver(session::SessionObserver* observer) {
  m_observer = observer ? observer : &m_noObserver;
}

void ViewerCore::OnConnecting(const std::string& progress) { m_observer->OnConnecting(progress); }

void ViewerCore::OnConnected() { m_observer->OnConnected(); }

void ViewerCore::OnLoggedIn(const session::LoginGrant& grant) { m_observer->OnLoggedIn(grant); }

void ViewerCore::OnPacket(session::PostedPacket& packet) {
  m_observer->OnPacket(packet);
  m_dispatcher.OnPacket(packet);
}

void ViewerCore::OnVideoWritten() {
  m_viewTimer.PaintIfDue();
  m_observer->OnVideoWritten();
}

void ViewerCore::OnLinkEnded(const std::string& status) {
  LeavePassThrough();
  m_observer->OnLinkEnded(status);
}

void ViewerCore::OnFailure(const session::FailureReport& failure) {
  LeavePassThrough();
  m_observer->OnFailure(failure);
}

void ViewerCore::OnNotice(const std::string& text) {
  view::ShowMessageText(m_desktop.dialogs, m_productName, text);
}

void ViewerCore::OnConnectStarted() { m_observer->OnConnectStarted(); }

void ViewerCore::OnDisconnecting() { m_observer->OnDisconnecting(); }

void ViewerCore::OnConnectionClosed() { m_observer->OnConnectionClosed(); }

void ViewerCore::ShowStatus(const std::string& text) { m_observer->ShowStatus(text); }

void ViewerCore::LeavePassThrough() {
  if (m_keyboard.IsPassthru()) m_keyboard.ForcePassthruMode(false);
}

void ViewerCore::Start() {
  m_keyboard.ReadSettings();
  m_mouse.ReadSettings();
  m_geometry.OnInitialUpdate();
  m_rendering.ReadSetting();
  m_viewTimer.Start();
}

void ViewerCore::Connect(const std::optional<std::string>& address) {
  if (address) m_connector.SetCurrentTargetAddress(*address);
  m_connector.RewindFailover();
  m_session.Failure().BeginAttempt();
  m_connector.ConnectCurrentTarget();
}

void ViewerCore::OnViewSize(platform::Size size) { m_geometry.OnSize(size.width, size.height); }

}  // namespace core

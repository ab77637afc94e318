#include "core/ViewerCore.h"

#include <filesystem>
#include <utility>

#include "platform/WindowMessages.h"

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
      m_ini(setup.iniPath),
      m_traceLog(OpenTraceLog(setup, m_ini)),
      m_acceleration(m_ini, desktop.pointer),
      m_bmp(m_ini),
      m_video(m_bmp, desktop.window),
      m_orb(session::OrbEnvironment{m_ini, desktop.window, desktop.view, desktop.dialogs,
                                    desktop.pointer, setup.productName, setup.viewerVersion,
                                    setup.clock, setup.resolver}),
      m_login(m_orb, m_ini, desktop.dialogs, setup.productName),
      m_geometry(desktop.view, m_bmp, m_orb, desktop.window, m_ini, desktop.dialogs),
      m_rendering(m_ini, m_orb),
      m_keyboard(MakeInputEnvironment(setup, desktop)),
      m_mouse(MakeInputEnvironment(setup, desktop), m_keyboard),
      m_input(m_orb, desktop.view, m_keyboard, m_mouse, m_geometry, m_dispatcher),
      m_admin(m_orb),
      m_dispatcher(m_orb, m_login, desktop.view, desktop.dialogs, setup.productName),
      m_viewTimer(m_bmp, m_geometry, desktop.view, desktop.window, [this] {
        m_orb.KeepAliveTick();
        m_mouse.CheckEscapedCursor();
      }) {
  if (m_acceleration.Kept()) m_orb.SetOperatorAcceleration(*m_acceleration.Kept());
  m_orb.SetHooks({&m_video, &m_keyboard, nullptr});
  m_dispatcher.SetHandlers({&m_geometry, &m_input, &m_admin, &m_rendering});
  m_geometry.SetViewChangeListener(&m_input);
}

input::InputEnvironment ViewerCore::MakeInputEnvironment(const ViewerSetup& setup,
                                                         const Desktop& desktop) {
  const auto scrollLine = [this](platform::ScrollBar bar, bool towardsEnd) {
    m_geometry.Scroll(bar, towardsEnd ? view::ScrollAction::LineDown : view::ScrollAction::LineUp);
  };
  return {m_orb,
          m_ini,
          desktop.window,
          desktop.view,
          desktop.dialogs,
          desktop.keyboard,
          desktop.pointer,
          setup.productName,
          scrollLine,
          {},
          {}};
}

ViewerCore::~ViewerCore() {
  m_viewTimer.Stop();
  m_orb.Shutdown();
}

void ViewerCore::HandleMessage(platform::Message& message) {
  if (message.window == platform::WindowId::View) {
    if (message.message == platform::WM_KVM_VIDEO_WRITTEN) {
      // Taken before the check, so video written during it sends another.
      m_video.VideoWrittenTaken();
      m_viewTimer.PaintIfDue();
      return;
    }
    m_dispatcher.KVMMessageHandler(message);
    return;
  }
  if (m_orb.HandleMainWindowMessage(message)) return;
  // A failed or closed link gives the keyboard and mouse back to the operator.
  if (message.message == platform::WM_COMMAND &&
      (message.wParam == session::CMD_REPORT_FAILURE || message.wParam == session::CMD_CLOSED) &&
      m_keyboard.IsPassthru())
    m_keyboard.ForcePassthruMode(false);
  if (message.message == platform::WM_COMMAND && message.wParam == session::CMD_CONNECT_NEXT)
    m_orb.ConnectCurrentTarget();
  if (m_mainWindow) m_mainWindow(message);
}

void ViewerCore::SetMainWindowHandler(std::function<void(platform::Message&)> handler) {
  m_mainWindow = std::move(handler);
}

void ViewerCore::SetSessionObserver(session::SessionObserver* observer) {
  m_orb.SetHooks({&m_video, &m_keyboard, observer});
}

void ViewerCore::SetConnectProgressHandler(std::function<void()> show) {
  m_admin.SetConnectProgress(std::move(show));
}

void ViewerCore::Start() {
  m_keyboard.ReadSettings();
  m_mouse.ReadSettings();
  m_geometry.OnInitialUpdate();
  m_rendering.ReadSetting();
  m_viewTimer.Start();
}

void ViewerCore::Connect(const std::optional<std::string>& address) {
  if (address) m_orb.SetCurrentTargetAddress(*address);
  m_orb.RewindFailover();
  m_orb.BeginConnectAttempt();
  m_orb.ConnectCurrentTarget();
}

void ViewerCore::OnViewSize(platform::Size size) { m_geometry.OnSize(size.width, size.height); }

}  // namespace core

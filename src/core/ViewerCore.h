#pragma once
// The viewer assembled from its parts: settings and trace log, session
// controller, login, dispatcher, frame buffer, video decoder, view geometry
// and view timer, wired to the window thread and the four desktop ports the
// program gives. The window, orbctl, the benchmarks and the integration tests
// all build the viewer this way and no other.
//
// The assembly is the session's observer: the link's news arrives here as
// tasks on the window thread (a packet goes to the dispatcher, written video
// to the view timer's paint, a closed or failed link gives the keyboard back)
// and is then passed on to the program's own observer (SetSessionObserver).
//
// Lifetimes are the members' order: the session's threads write into the
// frame buffer and post to the window thread, so the session is stopped
// (Shutdown) before anything it uses goes. Everything here runs on the window
// thread: construction, destruction and every call.

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "core/CallBackHandler.h"
#include "core/ViewInput.h"
#include "input/KeyboardPipeline.h"
#include "input/MouseAccel.h"
#include "input/MousePipeline.h"
#include "platform/Clock.h"
#include "platform/Desktop.h"
#include "platform/HostLookup.h"
#include "platform/WindowThread.h"
#include "session/Connector.h"
#include "session/FailoverWalk.h"
#include "session/Link.h"
#include "session/Login.h"
#include "session/UnitSession.h"
#include "settings/IniFile.h"
#include "settings/ScopedTraceLog.h"
#include "video/ColorModes.h"
#include "video/FrameBuffer.h"
#include "view/KVMDispatcher.h"
#include "view/ViewGeometry.h"
#include "view/ViewTimer.h"
#include "view/ViewVideoPath.h"

namespace core {

// The desktop the viewer runs on: its window thread and the four ports, all
// called on the window thread only.
struct Desktop {
  platform::WindowThread& window;
  platform::ViewWindow& view;
  platform::OperatorDialogs& dialogs;
  platform::KeyboardDevice& keyboard;
  platform::PointerDevice& pointer;
};

struct ViewerSetup {
  std::string iniPath = "Remote.ini";
  std::string productName;
  std::string viewerVersion;
  // Keeps the trace log of the settings file's LOGGING section, beside that
  // file, for the viewer's life; tests install their own trace sink instead.
  bool traceLog = false;
  // The keep-alive watch's clock and the host lookup; the system's by default.
  const platform::CalendarClock* clock = nullptr;
  platform::HostResolver resolver = {};
};

class ViewerCore : private session::SessionObserver {
 public:
  ViewerCore(const ViewerSetup& setup, const Desktop& desktop);
  ~ViewerCore() override;
  ViewerCore(const ViewerCore&) = delete;
  ViewerCore& operator=(const ViewerCore&) = delete;

  // The program's side of the link (tool bar, status area, what it waits
  // for); it hears every event after the viewer has acted on it, but a packet
  // before the dispatcher decrypts it. None by default.
  void SetSessionObserver(session::SessionObserver* observer);

  // The view's first update (the keyboard's settings, the geometry, the
  // rendering mode), then its 10 ms timer.
  void Start();
  // The connect command as the connect progress dialog gives it: a fresh walk
  // through the current target's addresses, the unit's texts collected. An
  // address stands in for the target's own for this run only.
  void Connect(const std::optional<std::string>& address = std::nullopt);
  // WM_SIZE: the view's client area has a new size.
  void OnViewSize(platform::Size size);
  // The view's keys, mouse and focus changes, straight to the input layer.
  // True when the key was taken.
  bool HandleKey(const input::KeyEvent& key) { return m_input.HandleKey(key); }
  void HandleMouse(const input::MouseEvent& event) { m_input.HandleMouse(event); }
  void HandleFocus(bool gained) { m_input.HandleFocus(gained); }

  // The link is down, with no attempt or failover step still to come.
  bool IsLinkEnded() const { return m_connector.IsLinkEnded(); }
  // Why the session ended, as the operator is told; empty when nothing said.
  std::string FailureText() { return m_session.Failure().OperatorText(); }

  // The window thread, for a wait on the unit that keeps the window running.
  platform::WindowThread& Window() { return m_desktop.window; }
  settings::IniFile& Ini() { return m_ini; }
  // The session as the layers above use it (state, sending, disconnecting),
  // and the connect commands (unit selection, current target, negotiation).
  session::Session& Session() { return m_session; }
  session::Connector& Connector() { return m_connector; }
  // The link's own state (its monitor thread, a call-back, the bytes received).
  const session::Link& Link() const { return m_link; }
  session::Login& Login() { return m_login; }
  view::KVMDispatcher& Dispatcher() { return m_dispatcher; }
  view::ViewGeometry& Geometry() { return m_geometry; }
  video::FrameBuffer& Bitmap() { return m_bmp; }
  view::ViewVideoPath& Video() { return m_video; }
  input::KeyboardPipeline& Keyboard() { return m_keyboard; }
  input::MousePipeline& Mouse() { return m_mouse; }
  video::ProgressiveRendering& Rendering() { return m_rendering; }

 private:
  // What the keyboard and mouse pipelines work with.
  input::InputEnvironment MakeInputEnvironment(const ViewerSetup& setup, const Desktop& desktop);
  session::SessionEnvironment MakeSessionEnvironment(const ViewerSetup& setup,
                                                     const Desktop& desktop);

  // session::SessionObserver, on the window thread.
  void OnConnecting(const std::string& progress) override;
  void OnConnected() override;
  void OnLoggedIn(const session::LoginGrant& grant) override;
  void OnPacket(session::PostedPacket& packet) override;
  void OnVideoWritten() override;
  void OnLinkEnded(const std::string& status) override;
  void OnFailure(const session::FailureReport& failure) override;
  void OnNotice(const std::string& text) override;
  void OnConnectStarted() override;
  void OnDisconnecting() override;
  void OnConnectionClosed() override;
  void ShowStatus(const std::string& text) override;
  // A closed or failed link gives the keyboard and mouse back to the operator.
  void LeavePassThrough();

  Desktop m_desktop;
  std::string m_productName;
  session::SessionObserver m_noObserver;
  session::SessionObserver* m_observer = &m_noObserver;
  settings::IniFile m_ini;
  std::unique_ptr<settings::ScopedTraceLog> m_traceLog;
  // Before the session, which keeps the operator's acceleration it finds.
  input::OperatorAcceleration m_acceleration;
  video::FrameBuffer m_bmp;
  view::ViewVideoPath m_video;
  session::Link m_link;
  session::FailoverWalk m_failover;
  session::UnitSession m_session;
  session::Connector m_connector;
  session::Login m_login;
  view::ViewGeometry m_geometry;
  video::ProgressiveRendering m_rendering;
  input::KeyboardPipeline m_keyboard;
  input::MousePipeline m_mouse;
  ViewInput m_input;
  CallBackHandler m_admin;
  view::KVMDispatcher m_dispatcher;
  view::ViewTimer m_viewTimer;
};

}  // namespace core

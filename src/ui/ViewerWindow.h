#pragma once
// The graphical viewer: the main frame and its view on Qt's main thread (the
// window thread), the four desktop ports over them, and the viewer assembled
// on those as every program assembles it (core::ViewerCore). The link's news
// reaches the main window as the session observer's calls (connected, link
// ended, failure, progress), on Qt's main thread. Keys, mouse and focus of the
// view go to the core as input events (ViewerCore::HandleKey, HandleMouse,
// HandleFocus).

#include <QObject>
#include <memory>
#include <optional>
#include <string>

#include "admin/SwitchSettings.h"
#include "core/ViewerCore.h"
#include "session/SessionHooks.h"
#include "settings/Branding.h"
#include "ui/FullScreen.h"
#include "ui/MainFrame.h"
#include "ui/QtDialogs.h"
#include "ui/QtViewWindow.h"
#include "ui/QtWindowThread.h"
#include "ui/X11Keyboard.h"
#include "ui/X11Pointer.h"
#include "view/ViewPaint.h"

class QKeyEvent;

namespace ui {

struct ViewerWindowSetup {
  std::string iniPath = "Remote.ini";
  std::string productName;
  std::string viewerVersion;
  std::string webPage;
  // The operator's manual the Help Topics entry opens.
  std::string helpFile;
  std::optional<std::string> connectTo;
  std::optional<std::string> windowPos;
  // The switch-model names the SWITCH page knows.
  admin::SwitchModelNames switchModels = settings::Branding{}.switchNames;
  bool traceLog = true;
};

class ViewerWindow : private session::SessionObserver {
 public:
  explicit ViewerWindow(const ViewerWindowSetup& setup);
  ~ViewerWindow() override;

  // Shows the main window, starts the view and acts on the command line.
  void Show();

  MainFrame& Frame() { return *m_frame; }
  core::ViewerCore& Core() { return *m_core; }
  QtDialogs& Dialogs() { return m_dialogs; }
  X11Keyboard& Keyboard() { return m_keyboard; }
  // A command of the menus or tool bars, by its id.
  void OnCommand(uint32_t id);
  // The connect command's dialog, connecting to the address when one is given.
  void RunConnectProgress(const std::optional<std::string>& address);
  bool IsFullScreen() const { return m_fullScreen->IsOn(); }

 private:
  // SessionObserver: the main window's side of the link.
  void OnConnectStarted() override;
  void OnDisconnecting() override;
  void ShowStatus(const std::string& text) override;
  void OnConnecting(const std::string& progress) override;
  void OnConnected() override;
  void OnLinkEnded(const std::string& status) override;
  void OnFailure(const session::FailureReport& failure) override;

  void Paint(QPainter& painter);
  bool OnKey(const QKeyEvent& event, bool down);
  void OnFocus(bool focused);
  void DeliverViewSize();
  void OnScroll(bool vertical, int action, int position);
  void UpdateMenuMarks();
  void UpdateEnabledCommands();
  void ToggleFullScreen();
  void FillChoiceBoxes();
  void OnTargetChosen(int index);
  void AskForUnitAddress();
  void OnServerChosen(int box, int index);
  bool OnDebugCommand(uint32_t id);
  void PasteClipboard();
  void CopyScreen();
  void OpenHelp();
  void ShowConnectedTime();
  void ShowAbout();

  ViewerWindowSetup m_setup;
  QtWindowThread m_thread;
  // The status bar's clock while connected.
  platform::Timer m_connectedClock{m_thread};
  std::unique_ptr<MainFrame> m_frame;
  QtViewWindow m_view;
  QtDialogs m_dialogs;
  X11Keyboard m_keyboard;
  X11Pointer m_pointer;
  std::unique_ptr<core::ViewerCore> m_core;
  std::unique_ptr<view::ViewPainter> m_painter;
  std::unique_ptr<FullScreen> m_fullScreen;
  platform::Size m_deliveredSize;
  bool m_sizePending = false;
  bool m_commandLineConnect = false;
};

}  // namespace ui

#pragma once
// The viewer's core without a screen, run by orbctl's commands: the viewer
// assembled on a message loop standing in for the window thread, a headless
// view, keyboard and pointer, and the operator's dialogs on the terminal.

#include <chrono>
#include <functional>
#include <optional>
#include <string>

#include "Options.h"
#include "TerminalDialogs.h"
#include "core/ViewerCore.h"
#include "platform/HeadlessKeyboard.h"
#include "platform/HeadlessPointer.h"
#include "platform/HeadlessView.h"
#include "platform/MessageLoop.h"

namespace orbctl {

struct PingReport {
  std::string unitVersion;
  bool administrator = false;
  std::string cipherName;
  double tripMs = 0;
};

class HeadlessClient {
 public:
  HeadlessClient(const Options& options, const std::string& productName,
                 const std::string& viewerVersion);

  // Connects and logs in, then times one ping; throws TextError with the
  // viewer's failure text.
  PingReport Ping();
  // Leaves with a DISCONNECT, given its time to leave before the link closes.
  void Disconnect();

  // For commands beyond ping: the viewer and the steps.
  void Connect();
  // Connects and waits until logged in.
  void LogIn();
  // The same, and fails unless the account has administrator rights.
  void LogInAsAdministrator();
  // Runs send, then a ping and a short grace: the unit takes a change in
  // silence and refuses it with a text, so a text by then is its refusal,
  // thrown as the failure.
  void SendAndConfirm(const std::function<void()>& send);
  // Sends a PING stamped now and waits for its answer: what was sent before
  // it has then reached the unit.
  void PingRoundTrip();
  // Runs the window thread until done; throws the failure when the link
  // ends or the time runs out first.
  void RunUntil(const std::function<bool()>& done);
  core::ViewerCore& Viewer() { return m_viewer; }
  platform::MessageLoop& Window() { return m_loop; }
  platform::HeadlessView& View() { return m_view; }
  // The local keyboard, which follows the keys orbctl types.
  platform::HeadlessKeyboard& Keyboard() { return m_keyboard; }

 private:
  const Options& m_options;
  // Resolved once, so that a password file is read before anything is sent.
  const std::optional<std::string> m_password;
  std::chrono::steady_clock::time_point m_deadline;
  // The window thread and the desktop first: the viewer uses them to its end.
  platform::MessageLoop m_loop;
  platform::HeadlessView m_view;
  platform::HeadlessKeyboard m_keyboard;
  platform::HeadlessPointer m_pointer;
  TerminalDialogs m_dialogs;
  core::ViewerCore m_viewer;
};

}  // namespace orbctl

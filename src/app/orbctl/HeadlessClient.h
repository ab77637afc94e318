#pragma once
// The viewer's core without a screen: settings, the window thread, the
// session controller, the login and the dispatcher, wired as the graphical
// viewer wires them, run by orbctl's commands.

#include <chrono>
#include <functional>
#include <string>

#include "Options.h"
#include "TerminalDialogs.h"
#include "platform/HeadlessPointer.h"
#include "platform/HeadlessView.h"
#include "platform/MessageLoop.h"
#include "session/Login.h"
#include "session/Orb.h"
#include "settings/IniFile.h"
#include "view/KVMDispatcher.h"
#include "view/OrbSessionPort.h"

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
  ~HeadlessClient();

  // Connects and logs in, then times one ping; throws TextError with the
  // viewer's failure text.
  PingReport Ping();
  void Disconnect();
  // Whether the time given on the command line ran out.
  bool TimedOut() const { return std::chrono::steady_clock::now() >= m_deadline; }

  // For commands beyond ping: the parts they plug into, and the steps.
  void Connect();
  // Runs the window thread until done; throws the failure when the link
  // ends or the time runs out first.
  void RunUntil(const std::function<bool()>& done);
  session::COrb& Orb() { return m_orb; }
  view::KVMDispatcher& Dispatcher() { return m_dispatcher; }
  platform::HeadlessView& View() { return m_view; }
  platform::MessageLoop& Loop() { return m_loop; }
  settings::IniFile& Ini() { return m_ini; }
  platform::OperatorDialogs& Dialogs() { return m_dialogs; }

 private:
  void OnMessage(platform::Message& message);
  bool LinkEnded() const;
  std::string FailureText() const;

  const Options& m_options;
  std::chrono::steady_clock::time_point m_deadline;
  settings::IniFile m_ini;
  platform::MessageLoop m_loop;
  platform::HeadlessView m_view;
  platform::HeadlessPointer m_pointer;
  TerminalDialogs m_dialogs;
  session::COrb m_orb;
  view::OrbSessionPort m_port;
  session::Login m_login;
  view::KVMDispatcher m_dispatcher;
};

}  // namespace orbctl

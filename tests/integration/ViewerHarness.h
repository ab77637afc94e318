#pragma once
// The viewer assembled as every program assembles it (core::ViewerCore), over
// a temporary settings file, a MessageLoop standing in for the window thread
// and the headless desktop. It keeps a copy of every packet posted to the view
// and every command posted to the main window before the viewer acts on them.
// Its calendar clock is the test's: the keep-alive watch fires only when the
// test moves the clock.

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/ViewerCore.h"
#include "platform/HeadlessDialogs.h"
#include "platform/HeadlessKeyboard.h"
#include "platform/HeadlessPointer.h"
#include "platform/HeadlessView.h"
#include "platform/MessageLoop.h"
#include "platform/WindowMessages.h"
#include "protocol/PacketTypes.h"
#include "session/Orb.h"
#include "session/PostedPacket.h"
#include "settings/AddressEntry.h"
#include "settings/IniFile.h"
#include "settings/MiscSettings.h"
#include "settings/TempDir.h"
#include "support/ManualClock.h"

// One target, "Unit", with the given addresses (the first, then failovers).
inline std::string PrepareViewerSettings(const std::string& path,
                                         const std::vector<std::string>& addresses,
                                         int keepAliveSeconds, int repaintDelayMs = 101) {
  settings::IniFile ini(path);
  settings::WriteFirstRunDefaults(ini);
  ini.Write("MISC", "RepaintDelayMS", std::to_string(repaintDelayMs));
  ini.Write("MISC", "CURRSELTEXT", "Unit");
  ini.Write("MISC", "KeepAliveTime", std::to_string(keepAliveSeconds));
  ini.Write("MISC", "IPConnectTimeMS", "3000");
  settings::AddressEntry target("Unit", addresses.at(0), "Color always", settings::TCP_IP, false, "");
  for (size_t i = 1; i < addresses.size(); ++i)
    target.AddSlot(settings::TCP_IP, addresses[i], false);
  target.SaveToINI(ini);
  return path;
}

class ViewerHarness {
 public:
  static constexpr uint32_t WAIT_MS = 15000;
  static constexpr int64_t KEEP_ALIVE_STEP_S = 256;

  struct Options {
    int keepAliveSeconds = 60;
    platform::Size client{1024, 768};
    platform::HostResolver resolver = {};
    int repaintDelayMs = 101;
  };

  explicit ViewerHarness(const std::vector<std::string>& addresses, int keepAliveSeconds = 60)
      : ViewerHarness(addresses, Options{keepAliveSeconds}) {}
  ViewerHarness(const std::vector<std::string>& addresses, const Options& options)
      : view(options.client, {1920, 1400}),
        core(std::make_unique<core::ViewerCore>(
            core::ViewerSetup{
                PrepareViewerSettings(dir.File("Remote.ini"), addresses, options.keepAliveSeconds,
                                      options.repaintDelayMs),
                "Tessaline", "TSV1.00", false, &clock, options.resolver},
            core::Desktop{loop, view, dialogs, keyboard, pointer})),
        orb(&core->Orb()) {
    core->Login().SetGivenAnswers("admin", "admin");
    core->SetMainWindowHandler([this](platform::Message& message) {
      if (message.message == platform::WM_COMMAND)
        commands.push_back(static_cast<uint32_t>(message.wParam));
    });
    loop.SetDispatcher([this](platform::Message& message) { Dispatch(message); });
    view.SetSizeListener([this](platform::Size size) { core->OnViewSize(size); });
    core->Start();
  }

  // The connect command as the progress dialog gives it.
  void Connect() { core->Connect(); }

  bool RunUntil(const std::function<bool()>& done, uint32_t timeoutMs = WAIT_MS) {
    return loop.RunUntil(done, timeoutMs);
  }
  bool WaitForCommand(uint32_t command) {
    return RunUntil([&] { return Count(command) > 0; });
  }
  bool WaitForPackets(size_t count) {
    return RunUntil([&] { return packets.size() >= count; });
  }
  // Until the connect thread has finished one way or the other.
  bool WaitForConnectAttempt() {
    return RunUntil([&] { return !orb->State().IsConnecting() && !orb->IsFailoverActive(); });
  }
  // Until the link is down and every thread of it has ended.
  bool WaitForEnd() {
    return RunUntil([&] { return core->IsLinkEnded(); });
  }
  // Lets the unit fall silent for longer than any keep-alive period until the
  // watch reports the lost link (a packet that slips in refreshes the watch,
  // so the clock moves on at every look).
  bool WaitForKeepAliveLoss() {
    return RunUntil([&] {
      clock.Advance(KEEP_ALIVE_STEP_S);
      return Count(session::CMD_REPORT_FAILURE) > 0;
    });
  }

  size_t Count(uint32_t command) const {
    size_t n = 0;
    for (uint32_t c : commands) n += c == command;
    return n;
  }
  static size_t Occurrences(const std::string& text, const std::string& part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
  }

  TempDir dir;
  platform::MessageLoop loop;
  platform::HeadlessView view;
  platform::HeadlessDialogs dialogs;
  platform::HeadlessKeyboard keyboard;
  platform::HeadlessPointer pointer;
  ManualClock clock;
  std::unique_ptr<core::ViewerCore> core;
  session::COrb* orb;
  std::vector<uint32_t> commands;
  // How often the monitor thread's news of written video reached the view.
  size_t videoWritten = 0;
  // Copies, as posted (still encrypted when they were sent so).
  std::vector<std::unique_ptr<session::PostedPacket>> packets;

 private:
  void Dispatch(platform::Message& message) {
    if (message.message == platform::WM_KVM_VIDEO_WRITTEN) ++videoWritten;
    if (message.message == platform::WM_KVM_PACKET)
      if (const auto* packet = message.BodyAs<session::PostedPacket>())
        packets.push_back(std::make_unique<session::PostedPacket>(*packet));
    core->HandleMessage(message);
  }
};

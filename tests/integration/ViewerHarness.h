#pragma once
// The viewer assembled as every program assembles it (core::ViewerCore), over
// a temporary settings file, a MessageLoop standing in for the window thread
// and the headless desktop. As the program's session observer it keeps, in
// order, the link's events it hears, every failure report, and a copy of every
// packet before the viewer acts on it.
// Its calendar clock is the test's: the keep-alive watch fires only when the
// test moves the clock.

#include <algorithm>
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
#include "protocol/PacketTypes.h"
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
  settings::AddressEntry target("Unit", addresses.at(0), "Color always", settings::TCP_IP, false,
                                "");
  for (size_t i = 1; i < addresses.size(); ++i)
    target.Addresses().AddSlot(settings::TCP_IP, addresses[i], false);
  target.SaveToINI(ini);
  return path;
}

class ViewerHarness : private session::SessionObserver {
 public:
  // The observer's calls the tests wait for and count.
  enum class Event { Connected, LoggedIn, LinkEnded, Failure };
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
        session(&core->Session()),
        connector(&core->Connector()),
        link(&core->Link()) {
    core->Login().SetGivenAnswers("admin", "admin");
    core->SetSessionObserver(this);
    view.SetSizeListener([this](platform::Size size) { core->OnViewSize(size); });
    core->Start();
  }

  // The connect command as the progress dialog gives it.
  void Connect() { core->Connect(); }

  bool RunUntil(const std::function<bool()>& done, uint32_t timeoutMs = WAIT_MS) {
    return loop.RunUntil(done, timeoutMs);
  }
  bool WaitFor(Event event) {
    return RunUntil([&] { return Count(event) > 0; });
  }
  bool WaitForPackets(size_t count) {
    return RunUntil([&] { return packets.size() >= count; });
  }
  // Until the connect thread has finished one way or the other.
  bool WaitForConnectAttempt() {
    return RunUntil([&] { return !connector->IsConnecting() && !connector->IsFailoverActive(); });
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
      return Count(Event::Failure) > 0;
    });
  }

  size_t Count(Event event) const {
    return static_cast<size_t>(std::count(events.begin(), events.end(), event));
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
  session::Session* session;
  session::Connector* connector;
  const session::Link* link;
  std::vector<Event> events;
  std::vector<session::FailureReport> failures;
  std::vector<session::LoginGrant> grants;
  // How often the monitor thread's news of written video reached the view.
  size_t videoWritten = 0;
  // Copies, as posted (still encrypted when they were sent so).
  std::vector<std::unique_ptr<session::PostedPacket>> packets;

 private:
  void OnConnected() override { events.push_back(Event::Connected); }
  void OnLoggedIn(const session::LoginGrant& grant) override {
    events.push_back(Event::LoggedIn);
    grants.push_back(grant);
  }
  void OnLinkEnded(const std::string&) override { events.push_back(Event::LinkEnded); }
  void OnFailure(const session::FailureReport& failure) override {
    events.push_back(Event::Failure);
    failures.push_back(failure);
  }
  void OnPacket(session::PostedPacket& packet) override {
    packets.push_back(std::make_unique<session::PostedPacket>(packet));
  }
  void OnVideoWritten() override { ++videoWritten; }
};

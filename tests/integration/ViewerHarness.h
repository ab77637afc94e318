#pragma once
// A session controller wired as the viewer wires it, over a temporary INI file,
// a MessageLoop standing in for the window thread and the headless desktop.
// The loop's dispatcher plays the main window (records the commands, connects
// again on 1089) and the view (keeps the posted packets, arms the keep-alive
// watch, answers the line test).

#include <stdlib.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/HeadlessDialogs.h"
#include "platform/HeadlessPointer.h"
#include "platform/HeadlessView.h"
#include "platform/MessageLoop.h"
#include "platform/WindowMessages.h"
#include "protocol/PacketTypes.h"
#include "session/Orb.h"
#include "session/PostedPacket.h"
#include "settings/Address.h"
#include "settings/IniFile.h"
#include "settings/MiscSettings.h"

class ViewerHarness {
 public:
  static constexpr uint32_t WAIT_MS = 15000;

  // One target, "Unit", with the given addresses (the first, then failovers).
  explicit ViewerHarness(const std::vector<std::string>& addresses, int keepAliveSeconds = 60)
      : dir(MakeTempDir()), ini((dir / "Remote.ini").string()) {
    settings::WriteFirstRunDefaults(ini);
    ini.Write("MISC", "CURRSELTEXT", "Unit");
    ini.Write("MISC", "KeepAliveTime", std::to_string(keepAliveSeconds));
    ini.Write("MISC", "IPConnectTimeMS", "3000");
    settings::CAddress target("Unit", addresses.at(0), "Color always", settings::TCP_IP, false, "");
    for (size_t i = 1; i < addresses.size(); ++i)
      target.AddSlot(settings::TCP_IP, addresses[i], false);
    target.SaveToINI(ini);

    orb = std::make_unique<session::COrb>(
        session::OrbEnvironment{ini, loop, view, dialogs, pointer, "Tessaline", "TSV1.00"});
    loop.SetDispatcher([this](platform::Message& message) { Dispatch(message); });
    loop.SetTimer(1, session::VIEW_TIMER_MS, [this] { orb->KeepAliveTick(); });
  }

  ~ViewerHarness() {
    orb.reset();
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
  }

  // The connect command as the progress dialog gives it.
  void Connect() {
    orb->RewindFailover();
    orb->ConnectCurrentTarget();
  }

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

  platform::MessageLoop loop;
  platform::HeadlessView view;
  platform::HeadlessDialogs dialogs;
  platform::HeadlessPointer pointer;
  const std::filesystem::path dir;
  settings::IniFile ini;
  std::unique_ptr<session::COrb> orb;
  std::vector<uint32_t> commands;
  std::vector<std::unique_ptr<session::PostedPacket>> packets;

 private:
  static std::filesystem::path MakeTempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "orb-session-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    return pattern;
  }

  void Dispatch(platform::Message& message) {
    if (message.message == platform::WM_COMMAND) {
      commands.push_back(static_cast<uint32_t>(message.wParam));
      if (message.wParam == session::CMD_CONNECT_NEXT) orb->ConnectCurrentTarget();
      return;
    }
    if (message.message != platform::WM_KVM_PACKET) return;
    auto* packet = message.BodyAs<session::PostedPacket>();
    if (!packet) return;
    message.body.release();
    packets.emplace_back(packet);
    if (packet->Header().type == KEEP_ALIVE) orb->OnKeepAliveReceived();
    if (packet->Header().type == THROUGHPUT_TEST_PACKET)
      orb->HandleTestPacket(packet->Header(), packet->Payload().data(), packet->Payload().size());
  }
};

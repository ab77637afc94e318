#pragma once
// The dispatcher with recording collaborators, fed posted packets directly.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/HeadlessDialogs.h"
#include "platform/HeadlessView.h"
#include "session/Login.h"
#include "session/PostedPacket.h"
#include "settings/IniFile.h"
#include "settings/TempDir.h"
#include "support/FakeSession.h"
#include "view/KVMDispatcher.h"

class RecordingVideo : public view::VideoHandlers {
 public:
  void FillRect(int x1, int y1, int x2, int y2, uint8_t r, uint8_t g, uint8_t b) override {
    fills.push_back({x1, y1, x2, y2, r, g, b});
  }
  platform::Size FrameSize() const override { return frame; }
  void EndBlock() override { ++blocksEnded; }
  bool IsScaled() const override { return scaled; }
  platform::Size NativeSize() const override { return native; }
  void ResizeFrameBuffer(platform::Size size) override { resizedTo = size; }

  std::vector<std::vector<int>> fills;
  platform::Size frame{800, 600};
  int blocksEnded = 0;
  bool scaled = true;
  platform::Size native{1280, 1024};
  platform::Size resizedTo;
};

class RecordingInput : public view::InputHandlers {
 public:
  void ForcePassthruMode(bool on) override { passthru = on; }
  void PassThroughCommand() override {
    ++passThroughCommands;
    passthru = true;
  }

  bool passthru = false;
  int passThroughCommands = 0;
};

class DispatcherTest : public testing::Test {
 protected:
  DispatcherTest()
      : ini(dir.File("Remote.ini")),
        login(session, ini, dialogs, "Tessaline"),
        rendering(ini, session),
        dispatcher(session, login, view, dialogs, "Tessaline") {
    dispatcher.SetHandlers({&video, &input, nullptr, &rendering});
  }

  static session::PostedPacket Packet(uint8_t type, uint8_t subtype, std::vector<uint8_t> payload,
                                      uint32_t queueNumber = 7) {
    const auto size = static_cast<uint16_t>(payload.size());
    PacketHeader header(type, subtype, size, size);
    return session::PostedPacket(header, payload.data(), payload.size(), queueNumber);
  }
  static std::vector<uint8_t> Text(const std::string& text) {
    std::vector<uint8_t> bytes(text.begin(), text.end());
    bytes.push_back(0);
    return bytes;
  }
  // 1 when the packet was handled, 0 when it was dropped.
  int32_t Feed(session::PostedPacket packet) { return dispatcher.OnPacket(packet) ? 1 : 0; }
  int32_t Feed(uint8_t type, uint8_t subtype, std::vector<uint8_t> payload) {
    return Feed(Packet(type, subtype, std::move(payload)));
  }

  TempDir dir;
  settings::IniFile ini;
  platform::HeadlessDialogs dialogs;
  platform::HeadlessView view;
  FakeSession session;
  RecordingVideo video;
  RecordingInput input;
  session::Login login;
  video::ProgressiveRendering rendering;
  view::KVMDispatcher dispatcher;
};

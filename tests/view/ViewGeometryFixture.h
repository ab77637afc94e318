#pragma once
// The view geometry on a headless view, with a link that records what the
// unit would be told. WM_SIZE reaches the geometry as a window manager
// would deliver it: whenever the client size changes.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/HeadlessDialogs.h"
#include "platform/HeadlessView.h"
#include "platform/TextError.h"
#include "protocol/LittleEndian.h"
#include "protocol/PacketTypes.h"
#include "settings/IniFile.h"
#include "settings/TempDir.h"
#include "video/FrameBitmap.h"
#include "view/ViewGeometry.h"

struct ViewSentPacket {
  uint8_t type = 0;
  std::vector<uint8_t> payload;
};

class RecordingViewLink : public view::ViewLink {
 public:
  void SendPacket(PacketHeader& header, PayloadPiece piece1, PayloadPiece piece2,
                  PayloadPiece piece3) override {
    if (failSends) throw TextError("Error sending: error code 32");
    ViewSentPacket sent{header.type, {}};
    for (const PayloadPiece& piece : {piece1, piece2, piece3}) {
      const auto* bytes = static_cast<const uint8_t*>(piece.data);
      sent.payload.insert(sent.payload.end(), bytes, bytes + piece.length);
    }
    packets.push_back(std::move(sent));
  }
  bool IsConnected() const override { return connected; }
  bool IsLoggedIn() const override { return loggedIn; }
  std::string TargetLocation() const override { return "Unit"; }
  void MarkViewChange() override { ++viewChanges; }

  std::vector<ViewSentPacket> packets;
  bool connected = true;
  bool loggedIn = true;
  bool failSends = false;
  int viewChanges = 0;
};

class ViewGeometryTest : public ::testing::Test {
 protected:
  ViewGeometryTest() {
    view.SetSizeListener([this](platform::Size size) { geometry.OnSize(size.width, size.height); });
  }

  // The MISC keys the view reads at its first update, then that update.
  void Start(const std::string& viewType, bool autoSize, bool dontEnlarge) {
    ini.Write("MISC", "VIEW_TYPE", viewType);
    ini.Write("MISC", "AUTO_SIZE", autoSize ? "True" : "False");
    ini.Write("MISC", "DONT_ENLARGE", dontEnlarge ? "True" : "False");
    geometry.OnInitialUpdate();
    geometry.SetAwaitNativeFullScreen(false);
    link.packets.clear();
    link.viewChanges = 0;
  }

  std::vector<uint8_t> Types() const {
    std::vector<uint8_t> types;
    for (const ViewSentPacket& packet : link.packets) types.push_back(packet.type);
    return types;
  }
  // The sizes told in RESIZE packets, in order.
  std::vector<platform::Size> Resizes() const {
    std::vector<platform::Size> sizes;
    for (const ViewSentPacket& packet : link.packets)
      if (packet.type == RESIZE)
        sizes.push_back({static_cast<int>(LoadLE32(packet.payload.data())),
                         static_cast<int>(LoadLE32(packet.payload.data() + 4))});
    return sizes;
  }

  TempDir dir;
  settings::IniFile ini{dir.File("Remote.ini")};
  uint32_t tick = 1000;
  video::CFrameBitmap bmp{ini, [this] { return tick; }};
  platform::HeadlessView view{{1024, 768}, {1920, 1080}};
  platform::HeadlessDialogs dialogs;
  RecordingViewLink link;
  view::ViewGeometry geometry{view, bmp, link, ini, dialogs};
};

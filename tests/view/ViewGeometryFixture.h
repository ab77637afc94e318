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
#include "platform/MessageLoop.h"
#include "platform/TextError.h"
#include "protocol/LittleEndian.h"
#include "protocol/PacketTypes.h"
#include "settings/IniFile.h"
#include "settings/TempDir.h"
#include "support/FakeSession.h"
#include "video/FrameBuffer.h"
#include "view/ViewGeometry.h"

// Counts the mouse pipeline's markers of a view change.
class CountingViewChanges : public view::ViewChangeListener {
 public:
  void MarkViewChange() override { ++viewChanges; }
  int viewChanges = 0;
};

class ViewGeometryTest : public ::testing::Test {
 protected:
  ViewGeometryTest() {
    link.location = "Unit";
    link.loggedIn = true;
    geometry.SetViewChangeListener(&changes);
    view.SetSizeListener([this](platform::Size size) { geometry.OnSize(size.width, size.height); });
  }

  // The MISC keys the view reads at its first update, then that update.
  void Start(const std::string& viewType, bool autoSize, bool dontEnlarge) {
    ini.Write("MISC", "VIEW_TYPE", viewType);
    ini.Write("MISC", "AUTO_SIZE", autoSize ? "True" : "False");
    ini.Write("MISC", "DONT_ENLARGE", dontEnlarge ? "True" : "False");
    geometry.OnInitialUpdate();
    geometry.FullScreen().awaitNative = false;
    link.sent.clear();
    changes.viewChanges = 0;
  }

  std::vector<uint8_t> Types() const {
    std::vector<uint8_t> types;
    for (const SentPacket& packet : link.sent) types.push_back(packet.header.type);
    return types;
  }
  // The sizes told in RESIZE packets, in order.
  std::vector<platform::Size> Resizes() const {
    std::vector<platform::Size> sizes;
    for (const SentPacket& packet : link.sent)
      if (packet.header.type == RESIZE)
        sizes.push_back({static_cast<int>(LoadLE32(packet.payload.data())),
                         static_cast<int>(LoadLE32(packet.payload.data() + 4))});
    return sizes;
  }

  TempDir dir;
  settings::IniFile ini{dir.File("Remote.ini")};
  uint32_t tick = 1000;
  video::FrameBuffer bmp{ini, [this] { return tick; }};
  platform::HeadlessView view{{1024, 768}, {1920, 1080}};
  platform::HeadlessDialogs dialogs;
  platform::MessageLoop loop;
  FakeSession link;
  CountingViewChanges changes;
  view::ViewGeometry geometry{view, bmp, link, loop, ini, dialogs};
};

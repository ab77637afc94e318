#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/MessageLoop.h"
#include "platform/WindowMessages.h"
#include "settings/IniFile.h"
#include "settings/TempDir.h"
#include "video/FrameBuffer.h"
#include "view/ViewVideoPath.h"

namespace {

// The news of written video reaches the window thread only without a repaint
// delay, and one message waits at a time however much video comes meanwhile.
TEST(ViewVideoPath, VideoWrittenIsPostedOnceUntilTakenAndOnlyWithoutDelay) {
  struct Case {
    std::string delay;
    std::vector<size_t> postedAfterEachRound;
  };
  for (const Case& c : {Case{"0", {1, 2}}, Case{"101", {0, 0}}}) {
    TempDir dir;
    settings::IniFile ini(dir.File("Remote.ini"));
    ini.Write("MISC", "RepaintDelayMS", c.delay);
    video::FrameBuffer bmp(ini);
    platform::MessageLoop loop;
    std::vector<uint32_t> posted;
    loop.SetDispatcher([&](platform::Message& message) {
      EXPECT_EQ(message.window, platform::WindowId::View);
      posted.push_back(message.message);
    });
    view::ViewVideoPath path(bmp, loop);

    std::vector<size_t> counts;
    for (int round = 0; round < 2; ++round) {
      path.AfterSegments();
      path.AfterSegments();
      loop.PumpPending();
      counts.push_back(posted.size());
      path.VideoWrittenTaken();
    }
    EXPECT_EQ(counts, c.postedAfterEachRound) << "RepaintDelayMS " << c.delay;
    for (uint32_t message : posted) EXPECT_EQ(message, platform::WM_KVM_VIDEO_WRITTEN);
  }
}

}  // namespace

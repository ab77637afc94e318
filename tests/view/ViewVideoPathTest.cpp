#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/MessageLoop.h"
#include "settings/IniFile.h"
#include "settings/TempDir.h"
#include "video/FrameBuffer.h"
#include "view/ViewVideoPath.h"

namespace {

// The news of written video reaches the window thread only without a repaint
// delay, and one task waits at a time however much video comes meanwhile.
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
    struct Observer : session::SessionObserver {
      void OnVideoWritten() override { ++written; }
      size_t written = 0;
    } observer;
    view::ViewVideoPath path(bmp, loop, observer);

    std::vector<size_t> counts;
    for (int round = 0; round < 2; ++round) {
      path.AfterSegments();
      path.AfterSegments();
      loop.RunPending();
      counts.push_back(observer.written);
    }
    EXPECT_EQ(counts, c.postedAfterEachRound) << "RepaintDelayMS " << c.delay;
  }
}

}  // namespace

// View -> Auto Size Now against the unit simulator, in scaled mode after the
// window was made smaller. The unit answers ONE_TO_ONE with its native size
// and sends its whole screen at that size at once, before the view can have
// grown to it. The viewer's picture must end at the native size and equal the
// simulator's own picture, pixel for pixel.

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

#include "integration/ViewerHarness.h"
#include "support/Pictures.h"
#include "support/SimProcess.h"

namespace {

constexpr platform::Size NATIVE{1024, 768};
constexpr platform::Size SMALLER{800, 600};
// A window system reports a window's new size a while after the move.
constexpr uint32_t SIZE_REPORT_MS = 50;

// The frame buffer as RGB rows, top to bottom, as the simulator dumps its picture.
Picture FramePicture(const video::FrameBuffer& bmp) {
  return bmp.ReadPixels([](const video::PixelView& pixels) {
    Picture picture{pixels.width, pixels.height, {}};
    for (int y = 0; y < pixels.height; ++y)
      for (int x = 0; x < pixels.width; ++x) {
        const uint8_t* p = pixels.Row(y) + 3 * x;
        picture.rgb += {static_cast<char>(p[2]), static_cast<char>(p[1]), static_cast<char>(p[0])};
      }
    return picture;
  });
}

bool ShowsTheUnitsPicture(const video::FrameBuffer& bmp, platform::Size size,
                          const std::string& reference) {
  // The simulator puts each picture in place whole, once it has drawn one.
  if (bmp.Size() != size || bmp.Gate().IsBlocking() || !std::filesystem::exists(reference))
    return false;
  const Picture expected = ReadPpm(reference);
  const Picture shown = FramePicture(bmp);
  return shown.width == expected.width && shown.height == expected.height &&
         shown.rgb == expected.rgb;
}

}  // namespace

TEST(AutoSizeNow, ThePictureEndsAtTheNativeSizeAsTheUnitDrewIt) {
  for (const bool sizeReportedLater : {false, true}) {
    SCOPED_TRACE(sizeReportedLater ? "size reported later" : "size reported during the move");
    TempDir dir;
    const std::string reference = dir.File("unit.ppm");
    SimProcess sim(
        {"--encoding", "multisegment", "--frame-interval-ms", "0", "--dump-frame", reference});
    ViewerHarness viewer({sim.Address()});
    video::FrameBuffer& bmp = viewer.core->Bitmap();
    viewer.Connect();

    // Logged in, the unit's NEW_SIZE fits the window to its screen.
    ASSERT_TRUE(viewer.RunUntil([&] { return ShowsTheUnitsPicture(bmp, NATIVE, reference); }));
    viewer.view.SetClientSize(SMALLER);
    ASSERT_TRUE(viewer.RunUntil([&] { return ShowsTheUnitsPicture(bmp, SMALLER, reference); }));

    std::optional<platform::Size> reported;
    platform::Timer report(viewer.loop);
    if (sizeReportedLater)
      viewer.view.SetSizeListener([&](platform::Size size) {
        reported = size;
        report.StartOnce(SIZE_REPORT_MS, [&] { viewer.core->OnViewSize(*reported); });
      });
    viewer.core->Geometry().OnACTIONSOneToOne();
    EXPECT_TRUE(viewer.RunUntil([&] { return ShowsTheUnitsPicture(bmp, NATIVE, reference); }))
        << "the view is " << bmp.Size().width << " x " << bmp.Size().height;
    EXPECT_EQ(viewer.view.ClientRect(), (platform::Rect{0, 0, NATIVE.width, NATIVE.height}));
  }
}

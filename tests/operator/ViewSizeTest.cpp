// After every change of the view's size the window shows the unit's own
// picture pixel for pixel: a smaller and a larger window (scaled, the unit
// draws at the view's size), scrolled (the unit's native size, the view's
// part of it) and scaled again, and Auto Size Now after the window was made
// smaller (the window grows to the native size, and the whole picture comes,
// never a black view or rows written at another size's stride).

#include "OperatorTest.h"

namespace acceptance {
namespace {

constexpr int NATIVE_WIDTH = 1024;

}  // namespace

TEST_P(Operator, TheViewShowsTheUnitsPictureAfterEachChangeOfSize) {
  ASSERT_NO_FATAL_FAILURE(ConnectFromBookOutsidePassThrough());

  // Scaled, the picture is as wide as the window; scrolled, as the unit's screen.
  const auto expectPicture = [&](const char* after, bool scrolled) {
    const int width = scrolled ? NATIVE_WIDTH : MainGeometry().width;
    const PictureMatch shown = WaitForUnitPicture(width, scrolled);
    EXPECT_TRUE(shown.found) << "after " << after << " the window (" << MainGeometry()
                             << ") does not show the unit's picture " << width
                             << " wide; best share " << shown.share << " over " << shown.compared;
  };
  const auto resize = [&](int width, int height) {
    X().Resize(Main(), width, height);
    const bool resized = XSession::WaitFor<bool>(
                             [&]() -> std::optional<bool> {
                               const ScreenRect now = MainGeometry();
                               if (now.width != width || now.height != height) return std::nullopt;
                               return true;
                             },
                             DIALOG_MS)
                             .has_value();
    ASSERT_TRUE(resized) << "the window is " << MainGeometry() << ", not " << width << "x"
                         << height;
  };

  expectPicture("the login", false);
  ASSERT_NO_FATAL_FAILURE(resize(800, 600));
  expectPicture("a smaller window", false);
  ASSERT_NO_FATAL_FAILURE(MenuCommand(XK_v, XK_c));
  expectPicture("View > Scrolled", true);
  ASSERT_NO_FATAL_FAILURE(MenuCommand(XK_v, XK_s));
  expectPicture("View > Scaled", false);
  ASSERT_NO_FATAL_FAILURE(resize(1100, 900));
  expectPicture("a larger window", false);
  ASSERT_NO_FATAL_FAILURE(resize(800, 600));
  expectPicture("a smaller window again", false);
  ASSERT_NO_FATAL_FAILURE(MenuCommand(XK_v, XK_z));
  EXPECT_TRUE(XSession::WaitFor<bool>(
      [&]() -> std::optional<bool> {
        if (MainGeometry().width != NATIVE_WIDTH) return std::nullopt;
        return true;
      },
      DIALOG_MS))
      << "Auto Size Now left the window at " << MainGeometry();
  expectPicture("View > Auto Size Now", false);
}

}  // namespace acceptance

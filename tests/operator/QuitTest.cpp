// Quitting always works and ends the program cleanly: Ctrl+Q, Alt+F4 (the
// window's own key without a window manager, openbox's close under it) and
// the close a window manager sends, while connected to a unit reached by
// -ConnectTo, where the window has no menu bar, and out of pass-through,
// where the keys are the window's.

#include "OperatorTest.h"

namespace acceptance {

TEST_P(Operator, QuitsByEveryWayOut) {
  struct Way {
    const char* name;
    std::function<void()> quit;
  };
  const Way ways[] = {
      {"Ctrl+Q",
       [&] {
         X().Chord({XK_Control_L, XK_q});
       }},
      {"Alt+F4",
       [&] {
         X().Chord({XK_Alt_L, XK_F4});
       }},
      {"the window's close", [&] { X().Close(Main()); }},
  };
  StartUnit();
  WriteSettings(Unit().Address());
  for (const Way& way : ways) {
    SCOPED_TRACE(way.name);
    ASSERT_TRUE(Unit().WaitUntilIdle()) << "the unit still serves the viewer before";
    ASSERT_NO_FATAL_FAILURE(StartViewer({"-ConnectTo", Unit().Address()}));
    ASSERT_NO_FATAL_FAILURE(LogInOutsidePassThrough());
    way.quit();
    const std::optional<int> status = Viewer().WaitForExit(DIALOG_MS);
    EXPECT_EQ(status, std::optional<int>(0))
        << "the viewer did not end cleanly; shown: " << Shown();
  }
}

}  // namespace acceptance

// Connecting as a new operator does: the address book's unit, reached by the
// Connect menu and again by the window's shortcuts, the unit's two questions
// each in its own dialog, then the unit's picture in the window. With the
// teaching dialogs at their default the way out of pass-through is told after
// each login; declining it leaves the keyboard with the window.

#include <thread>

#include "OperatorTest.h"

namespace acceptance {

TEST_P(Operator, ConnectsToTheAddressBooksUnitAndLogsIn) {
  ASSERT_NO_FATAL_FAILURE(ConnectFromBookOutsidePassThrough());
  const PictureMatch first = WaitForUnitPicture();
  EXPECT_TRUE(first.found) << "the window does not show the unit's picture (best share "
                           << first.share << ")";

  X().Chord({XK_Control_L, XK_Shift_L, XK_d});
  ASSERT_TRUE(Unit().WaitForLine("SESSION ENDED", std::chrono::seconds(5)))
      << "Ctrl+Shift+D did not disconnect";
  // A reconnect within moments of the unit's end of session now and then meets
  // a closed socket instead of the login (an open fault, seen only under
  // load); an operator's reconnect comes later than this.
  std::this_thread::sleep_for(std::chrono::seconds(1));
  X().Chord({XK_Control_L, XK_Shift_L, XK_c});
  ASSERT_NO_FATAL_FAILURE(LogInOutsidePassThrough()) << "Ctrl+Shift+C did not connect";
  const PictureMatch again = WaitForUnitPicture();
  EXPECT_TRUE(again.found) << "the window does not show the unit's picture again (best share "
                           << again.share << ")";
}

}  // namespace acceptance

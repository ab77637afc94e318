// Keys typed in pass-through reach the remote computer one for one, in order,
// each key down and up once: typed at once after the login, which enters
// pass-through; after a click in the view; and after leaving pass-through by
// its hotkey and clicking into the view again.

#include "OperatorTest.h"

namespace acceptance {

TEST_P(Operator, KeysTypedInPassThroughReachTheUnitOneForOne) {
  StartUnit();
  WriteSettings(Unit().Address(), false);
  ASSERT_NO_FATAL_FAILURE(StartViewer({"-ConnectTo", Unit().Address()}));
  ASSERT_NO_FATAL_FAILURE(LogIn());
  ASSERT_TRUE(WaitForPassThrough(true)) << "the login did not enter pass-through";
  // As the operator sees it: the Connect Progress dialog has gone and the
  // window has the keyboard.
  ASSERT_TRUE(X().WaitForFocus(Main(), DIALOG_MS)) << "the window does not have the keyboard";
  const std::string first = "Hello 42\n";
  X().Type(first, 5);
  EXPECT_EQ(UnitKeys(Unit(), KeyLinesFor(first).size(), KEYS_TIMEOUT), KeyLinesFor(first))
      << "typed at once after the login";

  const PictureMatch view = WaitForUnitPicture();
  ASSERT_TRUE(view.found) << "the window does not show the unit's picture";
  const int middleX = view.compared.x + view.compared.width / 2;
  const int middleY = view.compared.y + view.compared.height / 2;
  const std::string burst = "The quick brown fox jumps 1234567890\n";
  for (const char* after : {"a click in the view", "the hotkey and a click in the view"}) {
    SCOPED_TRACE(after);
    if (after[0] == 't') {
      PassThroughHotkey();
      ASSERT_TRUE(WaitForPassThrough(false)) << "the hotkey did not leave pass-through";
    }
    X().Click(middleX, middleY);
    ASSERT_TRUE(WaitForPassThrough(true)) << "the click did not enter pass-through";
    ForgetUnitKeys(Unit());
    X().Type(burst, 5);
    EXPECT_EQ(UnitKeys(Unit(), KeyLinesFor(burst).size(), KEYS_TIMEOUT), KeyLinesFor(burst));
  }
}

}  // namespace acceptance

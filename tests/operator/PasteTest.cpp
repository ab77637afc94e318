// Edit → Paste as Keystrokes with the clipboard held by another program, as a
// browser or a terminal holds it (xclip here): the unit gets exactly the keys
// of the text, though the window was not in pass-through, and the keyboard is
// the window's again afterwards. A clipboard without text says so instead.

#include "OperatorTest.h"

namespace acceptance {

TEST_P(Operator, PastesAnotherProgramsClipboardAsKeystrokes) {
  if (!FindProgram("xclip")) GTEST_SKIP() << "xclip is not installed (scripts/test.sh installs it)";
  ASSERT_NO_FATAL_FAILURE(ConnectFromBookOutsidePassThrough());
  ForgetUnitKeys(Unit());

  struct Paste {
    const char* how;
    std::string text;
    std::function<void()> command;
  };
  const Paste pastes[] = {
      {"by the Edit menu", "Hello 42", [&] { MenuCommand(XK_e, XK_k); }},
      {"by Ctrl+Shift+V", "Bye 7\n",
       [&] {
         X().Chord({XK_Control_L, XK_Shift_L, XK_v});
       }},
  };
  std::unique_ptr<ChildProcess> owner;
  for (const Paste& paste : pastes) {
    SCOPED_TRACE(paste.how);
    owner.reset();
    owner = OwnClipboard(paste.text);
    paste.command();
    const std::vector<std::string> expected = KeyLinesFor(paste.text);
    EXPECT_EQ(UnitKeys(Unit(), expected.size(), KEYS_TIMEOUT), expected);
    EXPECT_TRUE(WaitForPassThrough(false)) << "pass-through stayed on after the paste";
  }

  struct NoText {
    const char* what;
    std::string data;
    std::string type;
  };
  const NoText clipboards[] = {
      {"empty text", "", ""},
      {"a picture", std::string("\x89PNG\r\n\x1a\n", 8), "image/png"},
  };
  for (const NoText& clipboard : clipboards) {
    SCOPED_TRACE(clipboard.what);
    owner.reset();
    owner = OwnClipboard(clipboard.data, clipboard.type);
    ASSERT_NO_FATAL_FAILURE(MenuCommand(XK_e, XK_k));
    EXPECT_NO_FATAL_FAILURE(AnswerDialog("Paste as Keystrokes", XK_Return));
    EXPECT_EQ(UnitKeys(Unit(), 0, KEYS_TIMEOUT), std::vector<std::string>{});
  }
}

}  // namespace acceptance

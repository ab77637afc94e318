// Full screen in and out by its hotkey, with its teaching dialog at the
// default, and typing at once after each change the operator sees (the
// dialog gone, the window back). The dialog has the keyboard
// before pass-through takes it: Return enters full screen, where pass-through
// is on and the first key typed already reaches the unit; Escape changes
// nothing. Leaving gives the window back as it was, pass-through included.
// Leaving pass-through by its hotkey leaves a text in the status bar.

#include "OperatorTest.h"

namespace acceptance {
namespace {

constexpr ScreenRect WHOLE_SCREEN{0, 0, SCREEN_WIDTH, SCREEN_HEIGHT};

}  // namespace

TEST_P(Operator, FullScreenInAndOutLosesNoKeyAndGivesTheWindowBack) {
  StartUnit();
  WriteSettings(Unit().Address());
  ASSERT_NO_FATAL_FAILURE(StartViewer());
  ASSERT_NO_FATAL_FAILURE(ClickStatusBar());
  ASSERT_NO_FATAL_FAILURE(ConnectFromBook());
  ASSERT_NO_FATAL_FAILURE(LogIn());
  ASSERT_NO_FATAL_FAILURE(AnswerDialog(PRODUCT, XK_Return));
  ASSERT_TRUE(WaitForPassThrough(true)) << "OK in the teaching dialog did not enter pass-through";
  ASSERT_TRUE(XSession::WaitFor<bool>(
      [&]() -> std::optional<bool> {
        if (!StatusMessageShown()) return std::nullopt;
        return true;
      },
      DIALOG_MS))
      << "the status bar tells no way out of pass-through";
  const std::vector<uint32_t> passThroughText = StatusPanePixels();
  PassThroughHotkey();
  ASSERT_TRUE(WaitForPassThrough(false)) << "the hotkey did not leave pass-through";
  XSession::WaitFor<bool>(
      [&]() -> std::optional<bool> {
        if (StatusPanePixels() == passThroughText) return std::nullopt;
        return true;
      },
      MENU_MS);
  EXPECT_TRUE(StatusMessageShown())
      << "leaving pass-through by its hotkey left the status bar blank";
  ForgetUnitKeys(Unit());
  const ScreenRect windowed = MainGeometry();

  const auto geometryBecomes = [&](const ScreenRect& expected) {
    return XSession::WaitFor<bool>(
               [&]() -> std::optional<bool> {
                 if (MainGeometry() != expected) return std::nullopt;
                 return true;
               },
               DIALOG_MS)
        .has_value();
  };
  // By the hotkey, the way out taught first; whatever was typed before is forgotten.
  const auto enterPassThrough = [&] {
    PassThroughHotkey();
    ASSERT_NO_FATAL_FAILURE(AnswerDialog(PRODUCT, XK_Return));
    ASSERT_TRUE(WaitForPassThrough(true));
    ForgetUnitKeys(Unit());
  };
  // The hotkey, its teaching dialog answered by the key, then the text typed
  // once the window has the keyboard back: the keys the unit saw.
  const auto answerAndType = [&](KeySym answer, const char* how, const std::string& text) {
    X().Chord({XK_Control_L, XK_Alt_L, XK_f});
    Window teaching = None;
    WaitForDialog(PRODUCT, teaching);
    if (HasFatalFailure()) return std::vector<std::string>{};
    X().TypeKeysym(answer);
    EXPECT_TRUE(X().WaitForWindowGone(teaching, DIALOG_MS)) << how << " did not answer the dialog";
    EXPECT_TRUE(X().WaitForFocus(Main(), DIALOG_MS)) << "the window did not take the keyboard";
    X().Type(text, 5);
    return UnitKeys(Unit(), KeyLinesFor(text).size(), KEYS_TIMEOUT);
  };
  for (const bool passThrough : {false, true}) {
    SCOPED_TRACE(passThrough ? "from pass-through" : "from outside pass-through");
    if (passThrough && X().PointerControl() != NO_ACCELERATION) {
      ASSERT_NO_FATAL_FAILURE(enterPassThrough());
    }
    std::vector<std::string> keys = answerAndType(XK_Return, "Return", "full");
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_TRUE(geometryBecomes(WHOLE_SCREEN)) << "the window does not cover the screen";
    EXPECT_EQ(WithoutModifiers(keys), KeyLinesFor("full"));
    EXPECT_EQ(KeysLeftDown(keys), std::vector<std::string>{});

    X().Chord({XK_Control_L, XK_Alt_L, XK_f});
    EXPECT_TRUE(geometryBecomes(windowed)) << "the window did not come back as it was";
    X().Type("back", 5);
    EXPECT_TRUE(WaitForPassThrough(passThrough)) << "pass-through is not as it was";
    keys = UnitKeys(Unit(), passThrough ? KeyLinesFor("back").size() : 0, KEYS_TIMEOUT);
    EXPECT_EQ(WithoutModifiers(keys),
              passThrough ? KeyLinesFor("back") : std::vector<std::string>{});
    EXPECT_EQ(KeysLeftDown(keys), std::vector<std::string>{});
  }

  // Escape: the window stays as it is, in pass-through, and the next keys arrive whole.
  if (X().PointerControl() != NO_ACCELERATION) {
    ASSERT_NO_FATAL_FAILURE(enterPassThrough());
  }
  const std::vector<std::string> keys = answerAndType(XK_Escape, "Escape", "stay");
  ASSERT_FALSE(HasFatalFailure());
  EXPECT_EQ(WithoutModifiers(keys), KeyLinesFor("stay"));
  EXPECT_EQ(KeysLeftDown(keys), std::vector<std::string>{});
  EXPECT_EQ(MainGeometry(), windowed);
  EXPECT_TRUE(WaitForPassThrough(true));
}

}  // namespace acceptance

#include <gtest/gtest.h>

#include <functional>
#include <thread>

#include "platform/HeadlessDialogs.h"
#include "platform/HeadlessKeyboard.h"
#include "platform/HeadlessPointer.h"
#include "platform/HeadlessView.h"
#include "platform/TextError.h"

using namespace platform;
using Kind = HeadlessDialogs::Kind;
using Answer = HeadlessDialogs::Answer;

TEST(HeadlessDialogs, DecisionsTakeScriptedAnswersInOrderAndNoticesTakeNone) {
  HeadlessDialogs dialogs;
  dialogs.Script(Answer::Text("admin"));
  dialogs.Script(Answer::Text("secret"));
  dialogs.Script(Answer::Choose(DialogChoice::Yes));
  dialogs.Script(Answer::Cancel());

  EXPECT_EQ(dialogs.PromptText("Login", "User ID:", "guest"), "admin");
  // A notice between two prompts leaves the script alone.
  EXPECT_EQ(dialogs.MessageBox("Tessaline Viewer", "Connected.", DialogButtons::Ok,
                               DialogIcon::Information),
            DialogChoice::Ok);
  dialogs.ShowError("Unable to connect.", "Could not connect: refused");
  dialogs.ShowTimedMessage("Tessaline Message", "Bye", 5);
  EXPECT_EQ(dialogs.PromptPassword("Login", "Password:"), "secret");
  EXPECT_TRUE(dialogs.AskYesNo("Flash", "Update the firmware?"));
  EXPECT_EQ(dialogs.ChooseFileToSave("Save", "Bitmaps|*.bmp", "screen.bmp"), std::nullopt);
  EXPECT_EQ(dialogs.UnusedAnswers(), 0u);

  const auto calls = dialogs.Calls();
  ASSERT_EQ(calls.size(), 7u);
  EXPECT_EQ(calls[0].kind, Kind::PromptText);
  EXPECT_EQ(calls[0].text, "User ID:");
  EXPECT_EQ(calls[0].suggestion, "guest");
  EXPECT_TRUE(calls[0].scripted);
  EXPECT_FALSE(calls[1].scripted);
  EXPECT_EQ(calls[2].kind, Kind::Error);
  EXPECT_EQ(calls[2].text, "Could not connect: refused");
  EXPECT_EQ(calls[3].seconds, 5);
  EXPECT_EQ(calls[6].suggestion, "screen.bmp");
  EXPECT_TRUE(calls[6].scripted);
  EXPECT_EQ(dialogs.Last(Kind::PromptPassword)->answer, "secret");
  EXPECT_EQ(dialogs.Count(Kind::MessageBox), 1u);
  EXPECT_EQ(dialogs.Last(Kind::OpenFile), std::nullopt);
}

TEST(HeadlessDialogs, UnscriptedOrMismatchedDecisionsAreDismissed) {
  struct Case {
    DialogButtons buttons;
    DialogChoice dismissal;
  };
  for (const Case& c : {Case{DialogButtons::OkCancel, DialogChoice::Cancel},
                        Case{DialogButtons::YesNo, DialogChoice::No},
                        Case{DialogButtons::YesNoCancel, DialogChoice::Cancel},
                        Case{DialogButtons::RetryCancel, DialogChoice::Cancel}}) {
    HeadlessDialogs dialogs;
    EXPECT_EQ(dialogs.MessageBox("t", "x", c.buttons, DialogIcon::Question), c.dismissal);
    EXPECT_FALSE(dialogs.Last(Kind::MessageBox)->scripted);
  }

  HeadlessDialogs dialogs;
  EXPECT_EQ(dialogs.PromptPassword("Login", "Password:"), std::nullopt);
  EXPECT_FALSE(dialogs.AskYesNo("Quit", "Really?"));

  // An answer that does not fit waits for a dialog it fits.
  dialogs.Script(Answer::Choose(DialogChoice::Retry));
  EXPECT_EQ(dialogs.PromptText("Name", "Name:", ""), std::nullopt);
  EXPECT_FALSE(dialogs.AskYesNo("Quit", "Really?"));
  EXPECT_EQ(dialogs.UnusedAnswers(), 1u);
  EXPECT_EQ(
      dialogs.MessageBox("Modem", "No answer.", DialogButtons::RetryCancel, DialogIcon::Warning),
      DialogChoice::Retry);
  EXPECT_EQ(dialogs.UnusedAnswers(), 0u);
  EXPECT_EQ(dialogs.Calls().size(), 5u);
}

TEST(HeadlessView, MainWindowMovesResizeTheClientAndAreReported) {
  HeadlessView view({800, 600});
  EXPECT_EQ(view.LocalScreenSize(), (Size{1920, 1080}));
  EXPECT_EQ(view.ClientRect(), (Rect{0, 0, 800, 600}));
  std::vector<Size> sizes;
  view.SetSizeListener([&](Size size) { sizes.push_back(size); });

  // Growing the window by the client shortfall lands on the wanted client size.
  const Rect main = *view.MainWindowRect();
  const Rect client = *view.ClientRect();
  const int dx = main.Width() - client.Width(), dy = main.Height() - client.Height();
  EXPECT_TRUE(
      view.MoveMainWindow({main.left, main.top, main.left + 1024 + dx, main.top + 768 + dy}));
  EXPECT_EQ(view.ClientRect(), (Rect{0, 0, 1024, 768}));

  view.MaximiseMainWindow();
  EXPECT_TRUE(view.IsMaximised());
  EXPECT_EQ(view.MainWindowRect(), (Rect{0, 0, 1920, 1080}));
  EXPECT_EQ(view.ClientRect()->Width(), 1920 - dx);
  view.ClearMaximised();
  EXPECT_FALSE(view.IsMaximised());
  EXPECT_EQ(view.MainWindowRect(), (Rect{0, 0, 1920, 1080}));

  view.SetClientSize({800, 600});
  view.SetClientSize({800, 600});  // no change, no report
  EXPECT_EQ(sizes, (std::vector<Size>{{1024, 768}, {1920 - dx, 1080 - dy}, {800, 600}}));

  const Point origin = *view.ClientOrigin();
  EXPECT_EQ(view.WindowRect(), (Rect{origin.x, origin.y, origin.x + 800, origin.y + 600}));
}

TEST(HeadlessView, RecordsWhatTheCoreDidAndFailsWithoutAWindow) {
  HeadlessView view;
  view.SetTitle("Tessaline Viewer - Lab");
  view.SetStatusText(1, "Tip");
  view.SetStatusText(3, "1024 x 768");
  EXPECT_TRUE(view.Invalidate(Rect{0, 0, 10, 10}, false));
  EXPECT_TRUE(view.Invalidate(std::nullopt, true));
  view.InvalidateMainWindow(true);
  view.SetScrollBar(ScrollBar::Vertical, {true, 0, 767, 600, 76});

  EXPECT_EQ(view.Title(), "Tessaline Viewer - Lab");
  EXPECT_EQ(view.StatusText(3), "1024 x 768");
  EXPECT_EQ(view.StatusText(2), "");
  const auto invalidations = view.Invalidations();
  ASSERT_EQ(invalidations.size(), 3u);
  EXPECT_EQ(invalidations[0].area, (Rect{0, 0, 10, 10}));
  EXPECT_FALSE(invalidations[0].erase);
  EXPECT_EQ(invalidations[1].area, std::nullopt);
  EXPECT_TRUE(invalidations[2].mainWindow);
  EXPECT_EQ(view.GetScrollBar(ScrollBar::Vertical).position, 76);
  EXPECT_FALSE(view.GetScrollBar(ScrollBar::Horizontal).visible);

  view.SetHasWindow(false);
  view.SetLocalScreenSize(std::nullopt);
  EXPECT_EQ(view.ClientRect(), std::nullopt);
  EXPECT_FALSE(view.Invalidate(std::nullopt, false));
  EXPECT_EQ(view.LocalScreenSize(), std::nullopt);
}

TEST(HeadlessKeyboard, LockKeyPressesToggleLightsOncePerPress) {
  HeadlessKeyboard keyboard(LOCK_NUM | 0xF0);
  EXPECT_EQ(keyboard.LockLights(), LOCK_NUM);  // only the three lock bits count

  keyboard.SendSyntheticKey(VK_CAPITAL, 0x3A, false);
  keyboard.SendSyntheticKey(VK_CAPITAL, 0x3A, false);  // auto-repeat
  EXPECT_TRUE(keyboard.IsKeyDown(VK_CAPITAL));
  keyboard.SendSyntheticKey(VK_CAPITAL, 0x3A, true);
  keyboard.SendSyntheticKey(VK_NUMLOCK, 0x45, false);
  keyboard.SendSyntheticKey(VK_NUMLOCK, 0x45, true);
  keyboard.SendSyntheticKey('A', 0x1E, false);
  EXPECT_EQ(keyboard.LockLights(), LOCK_CAPS);
  EXPECT_FALSE(keyboard.IsKeyDown(VK_CAPITAL));
  EXPECT_EQ(keyboard.SyntheticKeys().size(), 6u);
  EXPECT_EQ(keyboard.SyntheticKeys()[3], (HeadlessKeyboard::SyntheticKey{VK_NUMLOCK, 0x45, false}));

  keyboard.SetLockLights(LOCK_SCROLL);
  EXPECT_EQ(keyboard.LockLights(), LOCK_SCROLL);
}

TEST(HeadlessKeyboard, GrabCanBeRefused) {
  HeadlessKeyboard keyboard;
  EXPECT_TRUE(keyboard.StartGrab());
  EXPECT_TRUE(keyboard.IsGrabbed());
  keyboard.EndGrab();
  keyboard.RefuseGrab(true);
  EXPECT_FALSE(keyboard.StartGrab());
  EXPECT_FALSE(keyboard.IsGrabbed());
  EXPECT_EQ(keyboard.GrabCount(), 1);
}

TEST(HeadlessPointer, ConfinementHoldsTheCursorAndFailuresCarryTheReason) {
  HeadlessPointer pointer;
  pointer.SetCursorPosition({500, 500});
  pointer.Confine(Rect{100, 100, 200, 200});
  EXPECT_EQ(pointer.CursorPosition(), (Point{199, 199}));
  pointer.MoveByUser({0, 150});
  EXPECT_EQ(pointer.CursorPosition(), (Point{100, 150}));
  pointer.Confine(std::nullopt);
  pointer.SetCursorPosition({5, 5});
  EXPECT_EQ(pointer.CursorMoves(), (std::vector<Point>{{500, 500}, {5, 5}}));

  pointer.FailCursorMoves("no display");
  try {
    pointer.SetCursorPosition({1, 1});
    FAIL();
  } catch (const TextError& e) {
    EXPECT_EQ(e.Text(), "no display");
  }
  EXPECT_EQ(pointer.CursorPosition(), (Point{5, 5}));

  pointer.ShowCursor(false);
  EXPECT_FALSE(pointer.IsVisible());
}

TEST(HeadlessPointer, AccelerationIsKeptAndRecorded) {
  HeadlessPointer pointer({6, 10, 1});
  EXPECT_EQ(pointer.GetAcceleration(), (MouseAcceleration{6, 10, 1}));
  EXPECT_TRUE(pointer.SetAcceleration({0, 0, 0}));
  EXPECT_TRUE(pointer.SetAcceleration({6, 10, 1}));
  EXPECT_EQ(pointer.AccelerationChanges(), (std::vector<MouseAcceleration>{{0, 0, 0}, {6, 10, 1}}));
  pointer.SetAccelerationReadable(false);
  EXPECT_EQ(pointer.GetAcceleration(), std::nullopt);
}

// Only the window thread (here: the thread that made the port) may call a
// port; any other call ends the process, naming the method.
TEST(HeadlessDesktopDeathTest, PortsRefuseCallsOffTheWindowThread) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  platform::HeadlessView view;
  platform::HeadlessDialogs dialogs;
  platform::HeadlessKeyboard keyboard;
  platform::HeadlessPointer pointer;
  const auto offThread = [](const std::function<void()>& call) { std::thread(call).join(); };
  EXPECT_DEATH(offThread([&] { view.Invalidate(std::nullopt, false); }),
               "ViewWindow::Invalidate called off the window thread");
  EXPECT_DEATH(offThread([&] { dialogs.ShowError("t", "d"); }),
               "OperatorDialogs::ShowError called off the window thread");
  EXPECT_DEATH(offThread([&] { keyboard.LockLights(); }),
               "KeyboardDevice::LockLights called off the window thread");
  EXPECT_DEATH(offThread([&] { pointer.ShowCursor(true); }),
               "PointerDevice::ShowCursor called off the window thread");
  // On the window thread the same calls are fine.
  view.Invalidate(std::nullopt, false);
  pointer.ShowCursor(true);
}

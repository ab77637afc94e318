// The window's keys, mouse and focus reach the input layer as values, not
// through the dispatcher of incoming packets.

#include <gtest/gtest.h>

#include "core/ViewInput.h"
#include "input/KeyboardFixture.h"
#include "session/Login.h"
#include "view/KVMDispatcher.h"

namespace {

class QuadOrNot : public view::VideoHandlers {
 public:
  bool IsQuadView() const override { return quad; }
  bool IsColourAnalysisArmed() const override { return armed; }
  void HandleColourAnalysis(bool down, platform::Point at) override {
    corners.push_back({down ? at.x : -at.x, at.y});
  }
  bool quad = false;
  bool armed = false;
  std::vector<platform::Point> corners;
};

class ViewInputTest : public KeyboardTest {
 protected:
  static input::MouseEvent Click(input::MouseAction action, platform::Point at = {10, 20}) {
    return {action, input::MouseButton::Left, at};
  }

  session::Login login{session, ini, dialogs, "Tessaline"};
  view::KVMDispatcher dispatcher{session, login, view, dialogs, "Tessaline"};
  QuadOrNot video;
  input::MousePipeline mouse{MouseEnvironment(), Pipeline(),
                             [this] { return microseconds += 1000; }};
  core::ViewInput input{session, view, Pipeline(), mouse, video, dispatcher};
  uint64_t microseconds = 0;
};

TEST_F(ViewInputTest, WhileDisconnectedOnlyTheFocusIsSeenToRepaint) {
  session.connected = false;
  input.HandleFocus(true);
  ASSERT_EQ(view.Invalidations().size(), 1u);
  EXPECT_TRUE(view.Invalidations()[0].mainWindow);
  EXPECT_TRUE(view.Invalidations()[0].erase);
  input.HandleMouse(Click(input::MouseAction::Press));
  EXPECT_FALSE(Pipeline().IsPassthru());
  EXPECT_FALSE(input.HandleKey(EventFor(DOWN, 'A', DownData(0x1E))));
  EXPECT_TRUE(session.sent.empty());
}

TEST_F(ViewInputTest, AClickOutsidePassThroughEntersItThenTheMouseGoesToTheUnit) {
  // Not in quad view, nor with the colour analysis armed.
  video.quad = true;
  input.HandleMouse(Click(input::MouseAction::Press));
  EXPECT_FALSE(Pipeline().IsPassthru());
  video.quad = false;
  video.armed = true;
  input.HandleMouse(Click(input::MouseAction::Press, {4, 3}));
  input.HandleMouse(Click(input::MouseAction::Release, {1, 0}));
  EXPECT_EQ(video.corners, (std::vector<platform::Point>{{4, 3}, {-1, 0}}));
  EXPECT_FALSE(Pipeline().IsPassthru());
  video.armed = false;

  // The right button does not enter; the left's press does.
  input.HandleMouse({input::MouseAction::Press, input::MouseButton::Right, {10, 20}});
  EXPECT_FALSE(Pipeline().IsPassthru());
  input.HandleMouse(Click(input::MouseAction::Press));
  EXPECT_TRUE(Pipeline().IsPassthru());
  session.sent.clear();
  input.HandleMouse(Click(input::MouseAction::Release));
  ASSERT_EQ(session.sent.size(), 1u);
  EXPECT_EQ(session.sent[0].header.type, MOUSE);

  // Keys go to the unit, and losing the focus leaves pass-through.
  EXPECT_TRUE(input.HandleKey(EventFor(DOWN, 'A', DownData(0x1E))));
  EXPECT_EQ(SentKeys().size(), 1u);
  input.HandleFocus(false);
  EXPECT_FALSE(Pipeline().IsPassthru());
}

TEST_F(ViewInputTest, AKeyThatCannotBeSentEndsTheConnection) {
  EnterPassthru();
  session.failSends = true;
  EXPECT_TRUE(input.HandleKey(EventFor(DOWN, 'A', DownData(0x1E))));
  EXPECT_EQ(session.failureTitle, "Unable to communicate with Lab");
  EXPECT_NE(session.failureText.find("In SendKeystroke()\nError sending"), std::string::npos);
  EXPECT_EQ(session.disconnects, 1);
}

}  // namespace

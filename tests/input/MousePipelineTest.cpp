// The mouse in pass-through through the headless desktop: relative movement
// with the cursor put back in the middle, the marker after a view change, the
// two exit gestures, buttons and the wheel, the cursor that got out of the
// window, and the operator's mouse acceleration kept across runs.

#include <optional>
#include <string>
#include <vector>

#include "KeyboardFixture.h"
#include "input/MouseAccel.h"
#include "input/MousePipeline.h"

namespace {

using platform::MouseAcceleration;
using platform::Point;

// One MOUSE packet as the unit received it.
struct SentMouse {
  uint32_t message = 0;
  uint32_t flags = 0;
  uint32_t point = 0;
  int32_t dx = 0;
  int32_t dy = 0;
  friend bool operator==(const SentMouse&, const SentMouse&) = default;
};

std::ostream& operator<<(std::ostream& out, const SentMouse& m) {
  return out << std::hex << "{0x" << m.message << ", 0x" << m.flags << ", 0x" << m.point << std::dec
             << ", " << m.dx << ", " << m.dy << '}';
}

// The headless view: a 1024 x 768 client area at 108,154 on the screen.
constexpr Point CENTRE{512, 384};
constexpr Point CENTRE_ON_SCREEN{108 + 512, 154 + 384};

class MouseTest : public KeyboardTest {
 protected:
  MouseTest() {
    settings::WriteMisc(ini, "SLOW_MOUSE_THRESHOLD", "1500");
    settings::WriteMisc(ini, "FAST_MOUSE_THRESHOLD", "1500");
    mouse.ReadSettings();
    EnterPassthru();
  }

  // A movement of the cursor by dx, dy away from the middle of the view.
  void Move(int dx, int dy) {
    input::MouseEvent move;
    move.position = {CENTRE.x + dx, CENTRE.y + dy};
    move.leftHeld = true;
    mouse.HandleMouse(move);
  }

  std::vector<SentMouse> Sent() const {
    std::vector<SentMouse> sent;
    for (const SentPacket& packet : session.sent) {
      if (packet.header.type != MOUSE) continue;
      EXPECT_EQ(packet.header.subtype, input::MOUSE_SUBTYPE);
      EXPECT_EQ(packet.payload.size(), input::MOUSE_PAYLOAD_SIZE);
      const uint8_t* p = packet.payload.data();
      sent.push_back({LoadLE32(p), LoadLE32(p + 4), LoadLE32(p + 8),
                      static_cast<int32_t>(LoadLE32(p + 12)),
                      static_cast<int32_t>(LoadLE32(p + 16))});
    }
    return sent;
  }

  uint64_t microseconds = 0;
  input::MousePipeline mouse{MouseEnvironment(), Pipeline(),
                             [this] { return microseconds += 1000; }};
};

TEST_F(MouseTest, MovementGoesOutRelativeAndTheCursorGoesBackToTheMiddle) {
  // The echo of putting the cursor back: nothing moved.
  Move(0, 0);
  EXPECT_TRUE(Sent().empty());
  EXPECT_TRUE(pointer.CursorMoves().empty());

  Move(5, -3);
  ASSERT_EQ(Sent().size(), 1u);
  EXPECT_EQ(Sent()[0], (SentMouse{0x200, input::MK_LBUTTON, (384u - 3) << 16 | 517, 5, -3}));
  EXPECT_EQ(pointer.CursorMoves(), std::vector<Point>{CENTRE_ON_SCREEN});

  // After a view change three movements are dropped with their motion; the
  // fourth carries only its own.
  mouse.MarkViewChange();
  for (int i = 0; i < 3; ++i) Move(1, 1);
  EXPECT_EQ(Sent().size(), 1u);
  Move(2, 7);
  ASSERT_EQ(Sent().size(), 2u);
  EXPECT_EQ(Sent()[1].dx, 2);
  EXPECT_EQ(Sent()[1].dy, 7);

  // Nothing goes to a unit that is not connected.
  session.connected = false;
  Move(4, 4);
  EXPECT_EQ(Sent().size(), 2u);
}

std::vector<Point> Repeat(int count, Point step) { return std::vector<Point>(count, step); }
std::vector<Point> Join(std::vector<Point> a, const std::vector<Point>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

struct GestureCase {
  const char* name;
  std::vector<Point> steps;
  uint32_t gapMs;
  bool slowExit;
  int exitsAt;  // index of the step that leaves pass-through; -1 none
};

TEST_F(MouseTest, ExitGestures) {
  const GestureCase cases[] = {
      // 1,500 pixels is not above the threshold; 1,600 is.
      {"slow down", Repeat(16, {0, 100}), 2000, true, 15},
      // The step up resets the total, and the next step down turns again.
      {"slow with a turn", Join(Join(Repeat(8, {0, 100}), {{0, -1}}), Repeat(17, {0, 100})), 2000,
       true, 25},
      {"slow left", Repeat(16, {-100, 0}), 2000, true, 15},
      {"slow off", Repeat(40, {0, 100}), 2000, false, -1},
      // The first movement has none within a second before it.
      {"fast", Repeat(16, {60, 50}), 10, false, 15},
      {"fast diagonal counts nothing", Repeat(100, {10, -10}), 10, false, -1},
      {"fast but a second apart", Repeat(100, {60, 50}), 1001, false, -1},
      // Both axes at once still leave only once.
      {"both axes together", Repeat(16, {100, 100}), 2000, true, 15},
  };
  for (const GestureCase& c : cases) {
    SCOPED_TRACE(c.name);
    settings::WriteMisc(ini, "ESCAPE_BY_SLOWMOUSE", c.slowExit ? "T" : "F");
    input::MousePipeline fresh(MouseEnvironment(), Pipeline(),
                               [this] { return microseconds += 1000; });
    fresh.ReadSettings();
    Pipeline().ForcePassthruMode(true);
    int exitedAt = -1;
    for (size_t i = 0; i < c.steps.size() && exitedAt < 0; ++i) {
      ticks += c.gapMs;
      input::MouseEvent move;
      move.position = {CENTRE.x + c.steps[i].x, CENTRE.y + c.steps[i].y};
      fresh.HandleMouse(move);
      if (!Pipeline().IsPassthru()) exitedAt = static_cast<int>(i);
    }
    EXPECT_EQ(exitedAt, c.exitsAt);
    Pipeline().ForcePassthruMode(false);
  }
}

TEST_F(MouseTest, SlowExitLeavesTheCursorOnTheSideItWasHeadingFor) {
  for (int i = 0; i < 16; ++i) Move(0, 100);
  EXPECT_FALSE(Pipeline().IsPassthru());
  EXPECT_TRUE(pointer.IsVisible());
  // The window's bottom edge, in the middle of its width.
  EXPECT_EQ(pointer.CursorPosition(), (Point{108 + 512, 154 + 768}));
  EXPECT_EQ(pointer.GetAcceleration(), (MouseAcceleration{6, 10, 1}));
}

TEST_F(MouseTest, ButtonsAndTheWheelGoOutAsTheyCame) {
  using namespace input;
  using enum MouseAction;
  struct Case {
    MouseAction action;
    MouseButton button;
    uint32_t flags;  // the event's held buttons and keys, as sent
    std::optional<uint32_t> sentAs;
  };
  const Case cases[] = {
      {Press, MouseButton::Left, MK_LBUTTON, WM_LBUTTONDOWN},
      {Release, MouseButton::Left, 0, WM_LBUTTONUP},
      {DoubleClick, MouseButton::Left, MK_LBUTTON, WM_LBUTTONDOWN},
      {Press, MouseButton::Right, MK_RBUTTON, WM_RBUTTONDOWN},
      {DoubleClick, MouseButton::Right, MK_RBUTTON, std::nullopt},
      {Release, MouseButton::Middle, 0, WM_MBUTTONUP},
      {DoubleClick, MouseButton::Middle, MK_MBUTTON, std::nullopt},
      {Wheel, MouseButton::None, static_cast<uint32_t>(-120) << 16 | MK_SHIFT, WM_MOUSEWHEEL},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.action) * 10 + static_cast<int>(c.button));
    session.sent.clear();
    MouseEvent event{c.action, c.button, {0x10, 0x20}};
    event.leftHeld = (c.flags & MK_LBUTTON) != 0;
    event.rightHeld = (c.flags & MK_RBUTTON) != 0;
    event.middleHeld = (c.flags & MK_MBUTTON) != 0;
    event.shiftHeld = (c.flags & MK_SHIFT) != 0;
    if (c.action == Wheel) event.wheelDelta = -120;
    mouse.HandleMouse(event);
    if (!c.sentAs) {
      EXPECT_TRUE(Sent().empty());
      continue;
    }
    EXPECT_EQ(Sent(), (std::vector<SentMouse>{{*c.sentAs, c.flags, 0x00200010, 0, 0}}));
  }
  // Buttons move nothing: the cursor stays where it is.
  EXPECT_TRUE(pointer.CursorMoves().empty());
}

TEST_F(MouseTest, ACursorOutOfTheWindowIsFedBackAsAMovement) {
  mouse.CheckEscapedCursor();  // inside: nothing
  EXPECT_TRUE(Sent().empty());

  // A grab that does not confine: the cursor went left of and above the view.
  pointer.Confine(std::nullopt);
  pointer.MoveByUser({58, 100});
  mouse.CheckEscapedCursor();
  const int32_t x = 58 - 108, y = 100 - 154;
  ASSERT_EQ(Sent().size(), 1u);
  EXPECT_EQ(Sent()[0], (SentMouse{0x200, input::ESCAPED_CURSOR_MARKER, input::PackPoint({x, y}),
                                  x - CENTRE.x, y - CENTRE.y}));
  EXPECT_EQ(pointer.CursorPosition(), CENTRE_ON_SCREEN);

  // Outside pass-through the cursor is the operator's.
  Pipeline().ForcePassthruMode(false);
  pointer.MoveByUser({5, 5});
  mouse.CheckEscapedCursor();
  EXPECT_EQ(Sent().size(), 1u);
}

TEST(OperatorAcceleration, AStartRepairsWhatTheLastRunLeftOffAndKeepsTheOperatorsOwn) {
  TempDir dir;
  settings::IniFile ini(dir.File("Remote.ini"));
  // The last run ended in pass-through: its record is still open and the
  // acceleration still off.
  ini.Write("MISC", "MouseAccelOpen", "T");
  ini.Write("MISC", "MouseAccel0", "2");
  ini.Write("MISC", "MouseAccel1", "4");
  ini.Write("MISC", "MouseAccel2", "1");
  platform::HeadlessPointer pointer(MouseAcceleration{0, 0, 0});
  {
    input::OperatorAcceleration acceleration(ini, pointer);
    EXPECT_EQ(acceleration.Kept(), (MouseAcceleration{2, 4, 1}));
    EXPECT_EQ(pointer.AccelerationChanges(), (std::vector<MouseAcceleration>{{2, 4, 1}}));
    // Switching off twice keeps the operator's triple, not the one it set.
    input::SwitchAccelerationOff(ini, pointer);
    input::SwitchAccelerationOff(ini, pointer);
    input::RestoreAcceleration(ini, pointer);
    EXPECT_EQ(pointer.GetAcceleration(), (MouseAcceleration{2, 4, 1}));
    input::SwitchAccelerationOff(ini, pointer);
  }
  // The end gives it back and closes the record.
  EXPECT_EQ(pointer.GetAcceleration(), (MouseAcceleration{2, 4, 1}));
  EXPECT_EQ(ini.Read("MISC", "MouseAccelOpen", "", 10), "F");

  // An acceleration that cannot be read is never switched off.
  platform::HeadlessPointer unreadable;
  unreadable.SetAccelerationReadable(false);
  input::OperatorAcceleration none(ini, unreadable);
  EXPECT_FALSE(none.Kept());
  input::SwitchAccelerationOff(ini, unreadable);
  EXPECT_TRUE(unreadable.AccelerationChanges().empty());
}

}  // namespace

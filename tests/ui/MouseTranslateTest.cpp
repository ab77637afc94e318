// The view's mouse and wheel events as the mouse records the unit receives.

#include <gtest/gtest.h>

#include <QMouseEvent>
#include <QWheelEvent>

#include "QtApp.h"
#include "input/MousePacket.h"
#include "ui/MouseTranslate.h"

namespace {

using namespace input;
using MouseMessage = MouseRecord;

// The event as the unit receives it.
std::optional<MouseRecord> Wire(const std::optional<MouseEvent>& event) {
  if (!event) return std::nullopt;
  return MouseRecordFor(*event);
}

std::optional<MouseMessage> Mouse(QEvent::Type type, QPointF at, Qt::MouseButton button,
                                  Qt::MouseButtons held,
                                  Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  TestApp();
  const QMouseEvent event(type, at, at + QPointF(300, 200), button, held, modifiers);
  return Wire(ui::TranslateMouse(event));
}

TEST(MouseTranslate, ButtonsKeepTheirClassicNumbersAndState) {
  struct Case {
    QEvent::Type type;
    Qt::MouseButton button;
    Qt::MouseButtons held;  // after the event, as Qt reports it
    Qt::KeyboardModifiers modifiers;
    std::optional<MouseMessage> expected;
  };
  const uint32_t at = 0x00280014;  // 20, 40
  const Case cases[] = {
      {QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier,
       MouseMessage{WM_LBUTTONDOWN, MK_LBUTTON, at}},
      {QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, Qt::ShiftModifier,
       MouseMessage{WM_LBUTTONUP, MK_SHIFT, at}},
      {QEvent::MouseButtonDblClick, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier,
       MouseMessage{WM_LBUTTONDBLCLK, MK_LBUTTON, at}},
      {QEvent::MouseButtonPress, Qt::RightButton, Qt::RightButton | Qt::LeftButton,
       Qt::ControlModifier, MouseMessage{WM_RBUTTONDOWN, MK_RBUTTON | MK_LBUTTON | MK_CONTROL, at}},
      {QEvent::MouseButtonDblClick, Qt::RightButton, Qt::RightButton, Qt::NoModifier,
       MouseMessage{WM_RBUTTONDBLCLK, MK_RBUTTON, at}},
      {QEvent::MouseButtonRelease, Qt::MiddleButton, Qt::NoButton, Qt::NoModifier,
       MouseMessage{WM_MBUTTONUP, 0, at}},
      {QEvent::MouseMove, Qt::NoButton, Qt::MiddleButton, Qt::NoModifier,
       MouseMessage{WM_MOUSEMOVE, MK_MBUTTON, at}},
      // The unit knows three buttons.
      {QEvent::MouseButtonPress, Qt::BackButton, Qt::BackButton, Qt::NoModifier, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.type << " " << c.button);
    EXPECT_EQ(Mouse(c.type, {20, 40}, c.button, c.held, c.modifiers), c.expected);
  }
}

// With the pointer grabbed, movements come from outside the view too.
TEST(MouseTranslate, PositionsLeftOfOrAboveTheViewStaySigned) {
  const auto left = Mouse(QEvent::MouseMove, {-3, -70}, Qt::NoButton, Qt::NoButton);
  ASSERT_TRUE(left);
  EXPECT_EQ(left->point, 0xFFBAFFFDu);
}

TEST(MouseTranslate, TheWheelCarriesItsDeltaAndTheScreenPosition) {
  TestApp();
  const auto turn = [](QPoint angle) {
    const QWheelEvent event({20, 40}, {320, 240}, {}, angle, Qt::NoButton, Qt::ShiftModifier,
                            Qt::NoScrollPhase, false);
    return Wire(ui::TranslateMouse(event));
  };
  EXPECT_EQ(turn({0, -120}), (MouseMessage{WM_MOUSEWHEEL, 0xFF88u << 16 | MK_SHIFT, 0x00F00140}));
  EXPECT_EQ(turn({0, 240}), (MouseMessage{WM_MOUSEWHEEL, 240u << 16 | MK_SHIFT, 0x00F00140}));
  // Sideways only: the unit has no such wheel.
  EXPECT_EQ(turn({120, 0}), std::nullopt);
}

}  // namespace

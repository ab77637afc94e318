#include "ui/MouseTranslate.h"

#include <QMouseEvent>
#include <QWheelEvent>

#include "input/MousePipeline.h"
#include "platform/WindowMessages.h"

namespace ui {
namespace {

using namespace platform;

// Down, up and double-click of each button, which Windows numbers in threes.
std::optional<uint32_t> FirstMessageOf(Qt::MouseButton button) {
  switch (button) {
    case Qt::LeftButton:
      return WM_LBUTTONDOWN;
    case Qt::RightButton:
      return WM_RBUTTONDOWN;
    case Qt::MiddleButton:
      return WM_MBUTTONDOWN;
    default:
      return std::nullopt;
  }
}

uint32_t KeyState(const QSinglePointEvent& event) {
  uint32_t state = 0;
  const Qt::MouseButtons buttons = event.buttons();
  if (buttons & Qt::LeftButton) state |= MK_LBUTTON;
  if (buttons & Qt::RightButton) state |= MK_RBUTTON;
  if (buttons & Qt::MiddleButton) state |= MK_MBUTTON;
  const Qt::KeyboardModifiers modifiers = event.modifiers();
  if (modifiers & Qt::ShiftModifier) state |= MK_SHIFT;
  if (modifiers & Qt::ControlModifier) state |= MK_CONTROL;
  return state;
}

uint32_t Packed(QPointF point) {
  const QPoint at = point.toPoint();
  return input::PackPoint({at.x(), at.y()});
}

}  // namespace

std::optional<MouseMessage> TranslateMouse(const QSinglePointEvent& event) {
  const uint32_t state = KeyState(event);
  if (event.type() == QEvent::Wheel) {
    const int delta = static_cast<const QWheelEvent&>(event).angleDelta().y();
    if (delta == 0) return std::nullopt;
    return MouseMessage{WM_MOUSEWHEEL,
                        static_cast<uint32_t>(static_cast<uint16_t>(delta)) << 16 | state,
                        Packed(event.globalPosition())};
  }
  const uint32_t at = Packed(event.position());
  if (event.type() == QEvent::MouseMove) return MouseMessage{WM_MOUSEMOVE, state, at};
  const std::optional<uint32_t> down = FirstMessageOf(event.button());
  if (!down) return std::nullopt;
  switch (event.type()) {
    case QEvent::MouseButtonPress:
      return MouseMessage{*down, state, at};
    case QEvent::MouseButtonRelease:
      return MouseMessage{*down + 1, state, at};
    case QEvent::MouseButtonDblClick:
      return MouseMessage{*down + 2, state, at};
    default:
      return std::nullopt;
  }
}

}  // namespace ui

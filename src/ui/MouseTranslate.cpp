#include "ui/MouseTranslate.h"

#include <QMouseEvent>
#include <QWheelEvent>

namespace ui {
namespace {

using input::MouseAction;
using input::MouseButton;

std::optional<MouseButton> ButtonOf(Qt::MouseButton button) {
  switch (button) {
    case Qt::LeftButton:
      return MouseButton::Left;
    case Qt::RightButton:
      return MouseButton::Right;
    case Qt::MiddleButton:
      return MouseButton::Middle;
    default:
      return std::nullopt;
  }
}

input::MouseEvent HeldState(const QSinglePointEvent& event, QPointF at) {
  input::MouseEvent mouse;
  const Qt::MouseButtons buttons = event.buttons();
  mouse.leftHeld = (buttons & Qt::LeftButton) != 0;
  mouse.rightHeld = (buttons & Qt::RightButton) != 0;
  mouse.middleHeld = (buttons & Qt::MiddleButton) != 0;
  const Qt::KeyboardModifiers modifiers = event.modifiers();
  mouse.shiftHeld = (modifiers & Qt::ShiftModifier) != 0;
  mouse.controlHeld = (modifiers & Qt::ControlModifier) != 0;
  const QPoint point = at.toPoint();
  mouse.position = {point.x(), point.y()};
  return mouse;
}

}  // namespace

std::optional<input::MouseEvent> TranslateMouse(const QSinglePointEvent& event) {
  if (event.type() == QEvent::Wheel) {
    const int delta = static_cast<const QWheelEvent&>(event).angleDelta().y();
    if (delta == 0) return std::nullopt;
    input::MouseEvent wheel = HeldState(event, event.globalPosition());
    wheel.action = MouseAction::Wheel;
    wheel.wheelDelta = delta;
    return wheel;
  }
  input::MouseEvent mouse = HeldState(event, event.position());
  if (event.type() == QEvent::MouseMove) return mouse;
  const std::optional<MouseButton> button = ButtonOf(event.button());
  if (!button) return std::nullopt;
  mouse.button = *button;
  switch (event.type()) {
    case QEvent::MouseButtonPress:
      mouse.action = MouseAction::Press;
      return mouse;
    case QEvent::MouseButtonRelease:
      mouse.action = MouseAction::Release;
      return mouse;
    case QEvent::MouseButtonDblClick:
      mouse.action = MouseAction::DoubleClick;
      return mouse;
    default:
      return std::nullopt;
  }
}

}  // namespace ui

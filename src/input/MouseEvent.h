#pragma once
// One mouse or wheel event of the view as the mouse pipeline takes it.

#include <cstdint>

#include "platform/Desktop.h"

namespace input {

enum class MouseAction : uint8_t { Move, Press, Release, DoubleClick, Wheel };
enum class MouseButton : uint8_t { None, Left, Right, Middle };

struct MouseEvent {
  MouseAction action = MouseAction::Move;
  // The button pressed, released or double-clicked; None otherwise.
  MouseButton button = MouseButton::None;
  // View client coordinates; the screen's for the wheel.
  platform::Point position;
  // Held after the event.
  bool leftHeld = false;
  bool rightHeld = false;
  bool middleHeld = false;
  bool shiftHeld = false;
  bool controlHeld = false;
  // 120 a notch, positive away from the operator.
  int wheelDelta = 0;
  friend bool operator==(const MouseEvent&, const MouseEvent&) = default;
};

}  // namespace input

#pragma once
// A mouse or wheel event of the view as the MouseEvent the mouse pipeline
// takes: which button changed, the buttons and keys held, and the position in
// client coordinates (the screen's for the wheel, as the unit has always been
// sent it).

#include <optional>

#include "input/MouseEvent.h"

class QSinglePointEvent;

namespace ui {

// Nothing for a button beyond the three, or a wheel turned only sideways.
std::optional<input::MouseEvent> TranslateMouse(const QSinglePointEvent& event);

}  // namespace ui

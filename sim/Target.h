#pragma once
// The computer behind the unit: its screen and its keyboard outlive any one viewer's session,
// so text typed by one viewer is on the screen the next one sees. Used by one session at a
// time (the unit finishes a session before it starts the next).

#include "Desktop.h"
#include "Keyboard.h"

namespace sim {

struct Target {
  Desktop desktop;
  Keyboard keyboard;
};

}  // namespace sim

#pragma once
// What the keyboard works with: the session, the settings, the window thread
// and the four desktop ports, plus the view's own scrolling. All must outlive
// the keyboard; every call is made on the window thread.

#include <cstdint>
#include <functional>
#include <string>

#include "platform/Desktop.h"
#include "platform/WindowThread.h"
#include "session/Session.h"
#include "settings/IniFile.h"

namespace input {

struct InputEnvironment {
  session::Session& session;
  settings::IniFile& ini;
  platform::WindowThread& window;
  platform::ViewWindow& view;
  platform::OperatorDialogs& dialogs;
  platform::KeyboardDevice& keyboard;
  platform::PointerDevice& pointer;
  // Title of the operator's dialogs.
  std::string productName;
  // Scrolls the view one line along the bar (towards its end, or back) and
  // repaints it; a bar that is not shown does not move.
  std::function<void(platform::ScrollBar bar, bool towardsEnd)> scrollLine;
  // Millisecond ticks for the trigger keys' time window; the platform's
  // GetTickCount when empty.
  std::function<uint32_t()> tickCount;
  // The KBD packets' scrambling byte; drawn at random when empty.
  std::function<uint8_t()> scrambleKey;
  // Whether the view shows four computers at once, where keys and mouse have
  // no one computer to go to: pass-through does not begin then, whichever
  // way it is asked for. Never when empty.
  std::function<bool()> quadView;
};

}  // namespace input

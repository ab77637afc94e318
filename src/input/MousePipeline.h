#pragma once
// The mouse of the view in pass-through. The viewer works in relative mode:
// after every movement the local cursor goes back to the middle of the view
// and the movement since the last packet goes to the unit in a MOUSE packet,
// with the raw message; buttons and the wheel go as MOUSE packets too. A long
// movement in one direction or a burst of fast movement leaves pass-through.
// Window thread only.

#include <cstdint>
#include <functional>

#include "input/InputEnvironment.h"
#include "input/KeyboardPipeline.h"
#include "input/MouseGestures.h"

namespace input {

// In the wParam of a movement: the view changed (a new remote size); the next
// three movements are not sent, as the cursor settles.
inline constexpr uint32_t VIEW_CHANGE_MARKER = 0x80000001;
// In the wParam of a movement the view timer found outside the window.
inline constexpr uint32_t ESCAPED_CURSOR_MARKER = 0x80000000;
inline constexpr int32_t SENDS_SUPPRESSED_AFTER_VIEW_CHANGE = 3;

inline constexpr uint8_t MOUSE_SUBTYPE = 0xFF;
inline constexpr size_t MOUSE_PAYLOAD_SIZE = 20;

// Client coordinates as a mouse message carries them: x in the low word, y in
// the high word, each a signed 16-bit number.
uint32_t PackPoint(platform::Point point);
platform::Point UnpackPoint(uint32_t lParam);

struct MouseSettings {
  bool slowExit = true;
  bool fastExit = true;
  int32_t slowThreshold = 1500;
  int32_t fastThreshold = 1500;
};

class MousePipeline {
 public:
  // microseconds: the counter that spaces the sends; the platform's when empty.
  MousePipeline(InputEnvironment env, KeyboardPipeline& keyboard,
                std::function<uint64_t()> microseconds = {});

  // ESCAPE_BY_SLOWMOUSE, ESCAPE_BY_FASTMOUSE and the two thresholds. Read at
  // the view's first update and again as each pass-through period begins,
  // since the menu changes them while the mouse is the operator's.
  void ReadSettings();
  const MouseSettings& Settings() const { return m_settings; }

  // Every mouse message of the view in pass-through (WM_MOUSEFIRST..WM_MOUSELAST).
  // Throws when the unit cannot be sent to.
  void HandleMouse(uint32_t message, uint32_t wParam, uint32_t lParam);
  // A movement to the client point in lParam, or the view-change marker.
  // Returns -1. Failures leave as "Problem in HandleMouseMove()\n" + cause.
  int32_t HandleMouseMove(uint32_t message, uint32_t wParam, uint32_t lParam);
  // The view changed under the cursor.
  void MarkViewChange();
  // The view timer: in pass-through, a cursor that got out of the view's
  // window is fed back as a movement (and put back in the middle).
  void CheckEscapedCursor();

 private:
  void Move(uint32_t message, uint32_t wParam, uint32_t lParam);
  void SlowExit(SlowExitAxis& axis, int32_t diff, bool vertical);
  // Pass-through ends once, whichever gesture fired first.
  void LeavePassthru();
  void SendButton(uint32_t message, uint32_t wParam, uint32_t lParam);
  void Send(uint32_t message, uint32_t wParam, uint32_t lParam, int32_t dx, int32_t dy);

  InputEnvironment m_env;
  KeyboardPipeline& m_keyboard;
  std::function<uint64_t()> m_microseconds;
  MouseSettings m_settings;
  bool m_settingsCurrent = false;
  int32_t m_xyDiff[2] = {0, 0};
  int32_t m_sendsSuppressed = 0;
  uint64_t m_lastSend = 0;
  SlowExitAxis m_slowX, m_slowY;
  FastExitRing m_fast;
};

}  // namespace input

#pragma once
// The mouse of the view in pass-through. The viewer works in relative mode:
// after every movement the local cursor goes back to the middle of the view
// and the movement since the last packet goes to the unit in a MOUSE packet,
// with the event's mouse record; buttons and the wheel go as MOUSE packets too. A long
// movement in one direction or a burst of fast movement leaves pass-through.
// Window thread only.

#include <cstdint>
#include <functional>

#include "input/InputEnvironment.h"
#include "input/KeyboardPipeline.h"
#include "input/MouseEvent.h"
#include "input/MouseGestures.h"
#include "input/MousePacket.h"

namespace input {

// After a view change (a new remote size) the next three movements are not
// sent, as the cursor settles.
inline constexpr int32_t SENDS_SUPPRESSED_AFTER_VIEW_CHANGE = 3;

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

  // Every mouse event of the view in pass-through. Throws when the unit
  // cannot be sent to.
  void HandleMouse(const MouseEvent& event);
  // The view changed under the cursor.
  void MarkViewChange();
  // The view timer: in pass-through, a cursor that got out of the view's
  // window is fed back as a movement (and put back in the middle).
  void CheckEscapedCursor();

 private:
  // A movement to the record's client point. Failures leave as
  // "Problem in HandleMouseMove()\n" + cause.
  void HandleMouseMove(const MouseRecord& record);
  void Move(const MouseRecord& record);
  void SlowExit(SlowExitAxis& axis, int32_t diff, bool vertical);
  // Pass-through ends once, whichever gesture fired first.
  void LeavePassthru();
  void SendButton(const MouseRecord& record);
  void Send(const MouseRecord& record, int32_t dx, int32_t dy);

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

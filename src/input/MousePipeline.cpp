#include "input/MousePipeline.h"

#include <utility>

#include "input/Cursor.h"
#include "platform/Clock.h"
#include "platform/TextError.h"
#include "platform/Trace.h"
#include "protocol/PacketTypes.h"
#include "settings/MiscSettings.h"

namespace input {
namespace {

constexpr int MOVE_CATEGORY = 1200;
constexpr int GESTURE_CATEGORY = 1201;

bool Contains(const platform::Rect& rect, platform::Point point) {
  return point.x >= rect.left && point.x < rect.right && point.y >= rect.top &&
         point.y < rect.bottom;
}

}  // namespace

MousePipeline::MousePipeline(InputEnvironment env, KeyboardPipeline& keyboard,
                             std::function<uint64_t()> microseconds)
    : m_env(std::move(env)),
      m_keyboard(keyboard),
      m_microseconds(microseconds ? std::move(microseconds) : platform::MicrosecondCount) {
  if (!m_env.tickCount) m_env.tickCount = platform::GetTickCount;
}

void MousePipeline::ReadSettings() {
  m_settings.slowExit = settings::ReadMiscFlag(m_env.ini, "ESCAPE_BY_SLOWMOUSE");
  m_settings.fastExit = settings::ReadMiscFlag(m_env.ini, "ESCAPE_BY_FASTMOUSE");
  m_settings.slowThreshold = settings::ReadMiscNumber(m_env.ini, "SLOW_MOUSE_THRESHOLD");
  m_settings.fastThreshold = settings::ReadMiscNumber(m_env.ini, "FAST_MOUSE_THRESHOLD");
  m_settingsCurrent = true;
}

void MousePipeline::HandleMouse(const MouseEvent& event) {
  if (!m_settingsCurrent) ReadSettings();
  const MouseRecord record = MouseRecordFor(event);
  switch (event.action) {
    case MouseAction::Move:
      HandleMouseMove(record);
      return;
    case MouseAction::DoubleClick:
      // The unit knows no double-click: the second press of the left button
      // is a press; the right and middle double-clicks are not sent.
      if (record.message == WM_LBUTTONDBLCLK)
        SendButton({WM_LBUTTONDOWN, record.flags, record.point});
      return;
    case MouseAction::Press:
    case MouseAction::Release:
    case MouseAction::Wheel:
      SendButton(record);
      return;
  }
}

void MousePipeline::HandleMouseMove(const MouseRecord& record) {
  try {
    Move(record);
  } catch (const TextError& e) {
    throw TextError("Problem in HandleMouseMove()\n" + e.Text());
  } catch (...) {
    throw TextError("Unknown problem occured in HandleMouseMove()\n");
  }
}

void MousePipeline::MarkViewChange() { m_sendsSuppressed = SENDS_SUPPRESSED_AFTER_VIEW_CHANGE; }

void MousePipeline::Move(const MouseRecord& record) {
  const platform::Point at = UnpackPoint(record.point);
  const platform::Point centre = ClientCentre(m_env.view);
  const int32_t dx = at.x - centre.x;
  const int32_t dy = at.y - centre.y;
  m_xyDiff[0] += dx;
  m_xyDiff[1] += dy;
  // The cursor is where it was put: this is the echo of putting it there.
  if (dx == 0 && dy == 0) return;
  CenterCursor(m_env.view, m_env.pointer);

  SlowExit(m_slowY, dy, true);
  SlowExit(m_slowX, dx, false);
  if (m_fast.Add(dx, dy, m_env.tickCount(), m_settings.fastThreshold, m_settings.fastExit))
    LeavePassthru();

  const uint64_t now = m_microseconds();
  if (now - m_lastSend <= 1) return;
  m_lastSend = now;
  if (!m_env.session.IsConnected()) return;
  // A suppressed movement is lost: it belongs to the view before the change.
  if (m_sendsSuppressed > 0)
    --m_sendsSuppressed;
  else
    Send(record, m_xyDiff[0], m_xyDiff[1]);
  m_xyDiff[0] = m_xyDiff[1] = 0;
}

// The cursor leaves on the side it was heading for, in the middle of it.
void MousePipeline::SlowExit(SlowExitAxis& axis, int32_t diff, bool vertical) {
  if (!axis.Add(diff, m_settings.slowThreshold, m_settings.slowExit)) return;
  LeavePassthru();
  const std::optional<platform::Rect> window = m_env.view.WindowRect();
  if (!window) return;
  if (vertical) {
    TraceCategory(5, GESTURE_CATEGORY, "SLOW EXIT Y  \n");
    m_env.pointer.SetCursorPosition(
        {window->left + window->Width() / 2, diff <= 0 ? window->top : window->bottom});
  } else {
    TraceCategory(5, GESTURE_CATEGORY, "SLOW EXIT X \n");
    m_env.pointer.SetCursorPosition(
        {diff <= 0 ? window->left : window->right, window->top + window->Height() / 2});
  }
}

void MousePipeline::LeavePassthru() {
  if (m_keyboard.IsPassthru()) m_keyboard.OnACTIONSPassThrough();
}

void MousePipeline::CheckEscapedCursor() {
  if (!m_keyboard.IsPassthru()) {
    m_settingsCurrent = false;
    return;
  }
  const std::optional<platform::Rect> window = m_env.view.WindowRect();
  const std::optional<platform::Point> origin = m_env.view.ClientOrigin();
  if (!window || !origin) return;
  const platform::Point cursor = m_env.pointer.CursorPosition();
  if (Contains(*window, cursor)) return;
  TraceCategory(5, MOVE_CATEGORY, "objPoint.x = %d    objRect.left = %d\n", cursor.x, window->left);
  TraceCategory(5, MOVE_CATEGORY, "objPoint.y = %d    objRect.top = %d\n", cursor.y, window->top);
  // As a movement to the client point it lies at, so that its distance from
  // the middle is the movement that took it out.
  const platform::Point client{cursor.x - origin->x, cursor.y - origin->y};
  const platform::Point centre = ClientCentre(m_env.view);
  TraceCategory(5, MOVE_CATEGORY, "Center %d,%d    cursor %d,%d\n", centre.x, centre.y, client.x,
                client.y);
  HandleMouseMove({WM_MOUSEMOVE, ESCAPED_CURSOR_MARKER, PackPoint(client)});
}

void MousePipeline::SendButton(const MouseRecord& record) {
  if (!m_env.session.IsConnected()) return;
  TraceCategory(5, MOVE_CATEGORY,
                "MOUSE BTN: msg: %d; wparam: %d; lparam: %d; anXYDiff[0]: %d; anXYDiff[1]: %d\n",
                record.message, record.flags, record.point, 0, 0);
  Send(record, 0, 0);
}

void MousePipeline::Send(const MouseRecord& record, int32_t dx, int32_t dy) {
  MousePayload payload = MakeMousePayload(record, dx, dy);
  PacketHeader header(MOUSE, MOUSE_SUBTYPE);
  m_env.session.SendPacket(header, {payload.data(), payload.size()});
}

}  // namespace input

#include "input/MousePipeline.h"

#include <array>
#include <utility>

#include "input/Cursor.h"
#include "platform/Clock.h"
#include "platform/TextError.h"
#include "platform/Trace.h"
#include "platform/WindowMessages.h"
#include "protocol/LittleEndian.h"
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

uint32_t PackPoint(platform::Point point) {
  return static_cast<uint32_t>(static_cast<uint16_t>(point.x)) |
         static_cast<uint32_t>(static_cast<uint16_t>(point.y)) << 16;
}

// Signed: with the pointer grabbed a movement can come from left of or above
// the view, and must not read as a leap of 65,000 pixels.
platform::Point UnpackPoint(uint32_t lParam) {
  return {static_cast<int16_t>(lParam & 0xFFFF), static_cast<int16_t>(lParam >> 16)};
}

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

void MousePipeline::HandleMouse(uint32_t message, uint32_t wParam, uint32_t lParam) {
  using namespace platform;
  if (!m_settingsCurrent) ReadSettings();
  switch (message) {
    case WM_MOUSEMOVE:
      HandleMouseMove(message, wParam, lParam);
      return;
    case WM_LBUTTONDBLCLK:
      // The unit knows no double-click: the second press is a press.
      SendButton(WM_LBUTTONDOWN, wParam, lParam);
      return;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MOUSEWHEEL:
      SendButton(message, wParam, lParam);
      return;
    default:
      // The right and middle double-clicks are not sent.
      return;
  }
}

int32_t MousePipeline::HandleMouseMove(uint32_t message, uint32_t wParam, uint32_t lParam) {
  try {
    Move(message, wParam, lParam);
  } catch (const TextError& e) {
    throw TextError("Problem in HandleMouseMove()\n" + e.Text());
  } catch (...) {
    throw TextError("Unknown problem occured in HandleMouseMove()\n");
  }
  return -1;
}

void MousePipeline::MarkViewChange() {
  HandleMouseMove(platform::WM_MOUSEMOVE, VIEW_CHANGE_MARKER, 0);
}

void MousePipeline::Move(uint32_t message, uint32_t wParam, uint32_t lParam) {
  if (wParam == VIEW_CHANGE_MARKER) {
    m_sendsSuppressed = SENDS_SUPPRESSED_AFTER_VIEW_CHANGE;
    return;
  }
  const platform::Point at = UnpackPoint(lParam);
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
    Send(message, wParam, lParam, m_xyDiff[0], m_xyDiff[1]);
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
  HandleMouseMove(platform::WM_MOUSEMOVE, ESCAPED_CURSOR_MARKER, PackPoint(client));
}

void MousePipeline::SendButton(uint32_t message, uint32_t wParam, uint32_t lParam) {
  if (!m_env.session.IsConnected()) return;
  TraceCategory(5, MOVE_CATEGORY,
                "MOUSE BTN: msg: %d; wparam: %d; lparam: %d; anXYDiff[0]: %d; anXYDiff[1]: %d\n",
                message, wParam, lParam, 0, 0);
  Send(message, wParam, lParam, 0, 0);
}

void MousePipeline::Send(uint32_t message, uint32_t wParam, uint32_t lParam, int32_t dx,
                         int32_t dy) {
  std::array<uint8_t, MOUSE_PAYLOAD_SIZE> payload{};
  StoreLE32(payload.data(), message);
  StoreLE32(payload.data() + 4, wParam);
  StoreLE32(payload.data() + 8, lParam);
  StoreLE32(payload.data() + 12, static_cast<uint32_t>(dx));
  StoreLE32(payload.data() + 16, static_cast<uint32_t>(dy));
  PacketHeader header(MOUSE, MOUSE_SUBTYPE);
  m_env.session.SendPacket(header, {payload.data(), payload.size()});
}

}  // namespace input

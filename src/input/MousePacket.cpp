#include "input/MousePacket.h"

#include "protocol/LittleEndian.h"

namespace input {
namespace {

uint32_t DownMessage(MouseButton button) {
  switch (button) {
    case MouseButton::Right:
      return WM_RBUTTONDOWN;
    case MouseButton::Middle:
      return WM_MBUTTONDOWN;
    default:
      return WM_LBUTTONDOWN;
  }
}

uint32_t Flags(const MouseEvent& event) {
  uint32_t flags = 0;
  if (event.leftHeld) flags |= MK_LBUTTON;
  if (event.rightHeld) flags |= MK_RBUTTON;
  if (event.middleHeld) flags |= MK_MBUTTON;
  if (event.shiftHeld) flags |= MK_SHIFT;
  if (event.controlHeld) flags |= MK_CONTROL;
  return flags;
}

}  // namespace

uint32_t PackPoint(platform::Point point) {
  return static_cast<uint32_t>(static_cast<uint16_t>(point.x)) |
         static_cast<uint32_t>(static_cast<uint16_t>(point.y)) << 16;
}

// Signed: with the pointer grabbed a movement can come from left of or above
// the view, and must not read as a leap of 65,000 pixels.
platform::Point UnpackPoint(uint32_t packed) {
  return {static_cast<int16_t>(packed & 0xFFFF), static_cast<int16_t>(packed >> 16)};
}

MouseRecord MouseRecordFor(const MouseEvent& event) {
  MouseRecord record{WM_MOUSEMOVE, Flags(event), PackPoint(event.position)};
  switch (event.action) {
    case MouseAction::Move:
      break;
    case MouseAction::Press:
      record.message = DownMessage(event.button);
      break;
    case MouseAction::Release:
      record.message = DownMessage(event.button) + 1;
      break;
    case MouseAction::DoubleClick:
      record.message = DownMessage(event.button) + 2;
      break;
    case MouseAction::Wheel:
      record.message = WM_MOUSEWHEEL;
      record.flags |= static_cast<uint32_t>(static_cast<uint16_t>(event.wheelDelta)) << 16;
      break;
  }
  return record;
}

MousePayload MakeMousePayload(const MouseRecord& record, int32_t dx, int32_t dy) {
  MousePayload payload{};
  StoreLE32(payload.data(), record.message);
  StoreLE32(payload.data() + 4, record.flags);
  StoreLE32(payload.data() + 8, record.point);
  StoreLE32(payload.data() + 12, static_cast<uint32_t>(dx));
  StoreLE32(payload.data() + 16, static_cast<uint32_t>(dy));
  return payload;
}

}  // namespace input

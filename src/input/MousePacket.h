#pragma once
// The MOUSE packet: the mouse message number, its button and key flags (or
// a marker), the position packed as a mouse message packs it, and the
// movement since the last packet. These numbers are wire data, formed here
// from MouseEvents.

#include <array>
#include <cstddef>
#include <cstdint>

#include "input/MouseEvent.h"

namespace input {

inline constexpr uint32_t WM_MOUSEMOVE = 0x0200;
inline constexpr uint32_t WM_LBUTTONDOWN = 0x0201;
inline constexpr uint32_t WM_LBUTTONUP = 0x0202;
inline constexpr uint32_t WM_LBUTTONDBLCLK = 0x0203;
inline constexpr uint32_t WM_RBUTTONDOWN = 0x0204;
inline constexpr uint32_t WM_RBUTTONUP = 0x0205;
inline constexpr uint32_t WM_RBUTTONDBLCLK = 0x0206;
inline constexpr uint32_t WM_MBUTTONDOWN = 0x0207;
inline constexpr uint32_t WM_MBUTTONUP = 0x0208;
inline constexpr uint32_t WM_MBUTTONDBLCLK = 0x0209;
inline constexpr uint32_t WM_MOUSEWHEEL = 0x020A;

// Button and key flags of the second field.
inline constexpr uint32_t MK_LBUTTON = 0x0001;
inline constexpr uint32_t MK_RBUTTON = 0x0002;
inline constexpr uint32_t MK_SHIFT = 0x0004;
inline constexpr uint32_t MK_CONTROL = 0x0008;
inline constexpr uint32_t MK_MBUTTON = 0x0010;

// In the flags of a movement the view timer found outside the window.
inline constexpr uint32_t ESCAPED_CURSOR_MARKER = 0x80000000;

inline constexpr uint8_t MOUSE_SUBTYPE = 0xFF;
inline constexpr size_t MOUSE_PAYLOAD_SIZE = 20;

using MousePayload = std::array<uint8_t, MOUSE_PAYLOAD_SIZE>;

// The first three fields of a MOUSE packet.
struct MouseRecord {
  uint32_t message = 0;
  // MK_* flags; for the wheel the delta in the high word.
  uint32_t flags = 0;
  // PackPoint of the position.
  uint32_t point = 0;
  friend bool operator==(const MouseRecord&, const MouseRecord&) = default;
};

// Client coordinates as a mouse message carries them: x in the low word, y in
// the high word, each a signed 16-bit number.
uint32_t PackPoint(platform::Point point);
platform::Point UnpackPoint(uint32_t packed);

// Down, up and double-click of each button are numbered in threes from its
// down; a button event without a button counts as the left's.
MouseRecord MouseRecordFor(const MouseEvent& event);

MousePayload MakeMousePayload(const MouseRecord& record, int32_t dx, int32_t dy);

}  // namespace input

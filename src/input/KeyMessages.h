#pragma once
// The keyboard message numbers that travel as the first field of a KBD packet
// and name keystrokes in settings and switch files. They are wire data: keys
// reach the viewer as KeyEvents and become these numbers only where a
// keystroke record is formed.

#include <cstdint>

namespace input {

inline constexpr uint32_t WM_KEYDOWN = 0x0100;
inline constexpr uint32_t WM_KEYUP = 0x0101;
inline constexpr uint32_t WM_CHAR = 0x0102;
inline constexpr uint32_t WM_DEADCHAR = 0x0103;
inline constexpr uint32_t WM_SYSKEYDOWN = 0x0104;
inline constexpr uint32_t WM_SYSKEYUP = 0x0105;
inline constexpr uint32_t WM_SYSCHAR = 0x0106;
inline constexpr uint32_t WM_SYSDEADCHAR = 0x0107;
inline constexpr uint32_t WM_KEYFIRST = WM_KEYDOWN;
inline constexpr uint32_t WM_KEYLAST = 0x0108;
// A system key taken through the keyboard grab (the unit knows it by this number).
inline constexpr uint32_t WM_HOOKED_KEY = 0x0400 + 83;

static_assert(WM_HOOKED_KEY == 1107);

}  // namespace input

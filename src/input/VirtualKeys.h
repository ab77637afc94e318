#pragma once
// The virtual-key codes and set-1 scan codes that the keyboard's commands
// name. They travel to the unit inside KBD packets and come from the desktop
// in key messages, so they keep the platform's values.

#include <cstdint>

namespace input {

inline constexpr int VK_TAB = 0x09;
inline constexpr int VK_SHIFT = 0x10;
inline constexpr int VK_CONTROL = 0x11;
inline constexpr int VK_MENU = 0x12;  // Alt
inline constexpr int VK_ESCAPE = 0x1B;
inline constexpr int VK_DELETE = 0x2E;
inline constexpr int VK_LWIN = 0x5B;
inline constexpr int VK_RWIN = 0x5C;
inline constexpr int VK_APPS = 0x5D;
inline constexpr int VK_LSHIFT = 0xA0;
inline constexpr int VK_RSHIFT = 0xA1;
inline constexpr int VK_LCONTROL = 0xA2;
inline constexpr int VK_RCONTROL = 0xA3;
inline constexpr int VK_LMENU = 0xA4;
inline constexpr int VK_RMENU = 0xA5;

inline constexpr uint8_t SCAN_ESC = 0x01;
inline constexpr uint8_t SCAN_TAB = 0x0F;
inline constexpr uint8_t SCAN_CTRL = 0x1D;
inline constexpr uint8_t SCAN_LSHIFT = 0x2A;
inline constexpr uint8_t SCAN_RSHIFT = 0x36;
inline constexpr uint8_t SCAN_PRINT_SCREEN = 0x37;
inline constexpr uint8_t SCAN_ALT = 0x38;
inline constexpr uint8_t SCAN_ARROW_UP = 0x48;
inline constexpr uint8_t SCAN_ARROW_LEFT = 0x4B;
inline constexpr uint8_t SCAN_ARROW_RIGHT = 0x4D;
inline constexpr uint8_t SCAN_ARROW_DOWN = 0x50;
inline constexpr uint8_t SCAN_DEL = 0x53;

}  // namespace input

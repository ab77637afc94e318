#pragma once
// Window message numbers. They keep their classic values because keyboard and
// mouse messages travel to the unit inside KBD and MOUSE packets, and the
// viewer's own messages are known by these numbers in traces.

#include <cstdint>

namespace platform {

inline constexpr uint32_t WM_SIZE = 0x0005;
inline constexpr uint32_t WM_SETFOCUS = 0x0007;
inline constexpr uint32_t WM_KILLFOCUS = 0x0008;
inline constexpr uint32_t WM_GETTEXT = 0x000D;
inline constexpr uint32_t WM_PAINT = 0x000F;
inline constexpr uint32_t WM_ERASEBKGND = 0x0014;
inline constexpr uint32_t WM_ACTIVATEAPP = 0x001C;
inline constexpr uint32_t WM_SETCURSOR = 0x0020;
inline constexpr uint32_t WM_DISPLAYCHANGE = 0x007E;
inline constexpr uint32_t WM_NCPAINT = 0x0085;
inline constexpr uint32_t WM_SYNCPAINT = 0x0088;

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

inline constexpr uint32_t WM_COMMAND = 0x0111;
inline constexpr uint32_t WM_TIMER = 0x0113;
inline constexpr uint32_t WM_HSCROLL = 0x0114;
inline constexpr uint32_t WM_VSCROLL = 0x0115;

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
inline constexpr uint32_t WM_MOUSEFIRST = WM_MOUSEMOVE;
inline constexpr uint32_t WM_MOUSELAST = WM_MOUSEWHEEL;

// Button and modifier flags in the wParam of mouse messages.
inline constexpr uint32_t MK_LBUTTON = 0x0001;
inline constexpr uint32_t MK_RBUTTON = 0x0002;
inline constexpr uint32_t MK_SHIFT = 0x0004;
inline constexpr uint32_t MK_CONTROL = 0x0008;
inline constexpr uint32_t MK_MBUTTON = 0x0010;

inline constexpr uint32_t WM_USER = 0x0400;
inline constexpr uint32_t WM_KVM_PACKET = WM_USER + 59;
inline constexpr uint32_t WM_KVM_SHOW_MESSAGE = WM_USER + 66;
inline constexpr uint32_t WM_KVM_SHOW_TIMED_MESSAGE = WM_USER + 67;
inline constexpr uint32_t WM_KVM_CONNECT_PROGRESS = WM_USER + 79;
inline constexpr uint32_t WM_HOOKED_KEY = WM_USER + 83;

static_assert(WM_KVM_PACKET == 1083 && WM_KVM_SHOW_MESSAGE == 1090 &&
              WM_KVM_SHOW_TIMED_MESSAGE == 1091 && WM_KVM_CONNECT_PROGRESS == 1103 &&
              WM_HOOKED_KEY == 1107);

}  // namespace platform

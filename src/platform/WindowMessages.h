#pragma once
// Window message numbers. They keep their classic values because the
// viewer's own messages are known by these numbers in traces. (The keyboard
// and mouse numbers the unit receives are wire data of input/KeyMessages.h
// and input/MousePacket.h.)

#include <cstdint>

namespace platform {

inline constexpr uint32_t WM_SIZE = 0x0005;
inline constexpr uint32_t WM_PAINT = 0x000F;
inline constexpr uint32_t WM_SETCURSOR = 0x0020;

inline constexpr uint32_t WM_COMMAND = 0x0111;
inline constexpr uint32_t WM_TIMER = 0x0113;
inline constexpr uint32_t WM_HSCROLL = 0x0114;
inline constexpr uint32_t WM_VSCROLL = 0x0115;

inline constexpr uint32_t WM_USER = 0x0400;
inline constexpr uint32_t WM_KVM_PACKET = WM_USER + 59;
inline constexpr uint32_t WM_KVM_SHOW_MESSAGE = WM_USER + 66;
inline constexpr uint32_t WM_KVM_SHOW_TIMED_MESSAGE = WM_USER + 67;
inline constexpr uint32_t WM_KVM_CONNECT_PROGRESS = WM_USER + 79;
// Ours: the monitor thread's news that the link ended, for the window thread
// to finish what the operator sees (see session/LinkEnded.h).
inline constexpr uint32_t WM_KVM_LINK_ENDED = WM_USER + 120;
// Ours: a status text for the main window from a thread of the link (a
// TextBody), as a modem line comes up.
inline constexpr uint32_t WM_KVM_LINK_STATUS = WM_USER + 121;
// Ours: the monitor thread has written video into the frame buffer, and with
// no repaint delay the view paints it now rather than at its next timer tick.
// At most one is waiting at a time.
inline constexpr uint32_t WM_KVM_VIDEO_WRITTEN = WM_USER + 122;

static_assert(WM_KVM_PACKET == 1083 && WM_KVM_SHOW_MESSAGE == 1090 &&
              WM_KVM_SHOW_TIMED_MESSAGE == 1091 && WM_KVM_CONNECT_PROGRESS == 1103);

}  // namespace platform

#pragma once
// The fixed key sequences of the remote Ctrl-Alt-Del and next-window (Alt-Tab)
// commands, sent without modifier states and 50 ms apart.

#include <array>
#include <cstdint>
#include <span>

#include "input/KeyPacer.h"
#include "input/KeySender.h"
#include "platform/WindowMessages.h"

namespace input {

struct KeyEvent {
  uint32_t message;
  uint32_t wParam;
  uint32_t lParam;
};

inline constexpr uint32_t FIXED_SEQUENCE_GAP_MS = 50;

inline constexpr std::array<KeyEvent, 6> CTRL_ALT_DEL_SEQUENCE{{
    {platform::WM_KEYDOWN, 0x11, 0x001D0001},
    {platform::WM_KEYDOWN, 0x12, 0x20380001},
    {platform::WM_KEYDOWN, 0x2E, 0x01530001},
    {platform::WM_KEYUP, 0x2E, 0xA1530001},
    {platform::WM_KEYUP, 0x12, 0xC0380001},
    {platform::WM_KEYUP, 0x11, 0xC01D0001},
}};

inline constexpr std::array<KeyEvent, 4> ALT_TAB_SEQUENCE{{
    {platform::WM_SYSKEYDOWN, 0x12, 0x20380001},
    {platform::WM_KEYDOWN, 0x09, 0x000F0001},
    {platform::WM_KEYUP, 0x09, 0xC00F0001},
    {platform::WM_SYSKEYUP, 0x12, 0xC0380001},
}};

// Queues the keys through the balanced send path, 50 ms apart.
void QueueFixedSequence(KeyPacer& pacer, KeySender& sender, std::span<const KeyEvent> keys,
                        KeyPacer::FailureHandler onFailure);

}  // namespace input

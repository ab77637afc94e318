#pragma once
// The fixed key sequences of the remote Ctrl-Alt-Del and next-window (Alt-Tab)
// commands, sent without modifier states and 50 ms apart.

#include <array>
#include <cstdint>
#include <span>

#include "input/KeyEvent.h"
#include "input/KeyPacer.h"
#include "input/KeySender.h"

namespace input {

inline constexpr uint32_t FIXED_SEQUENCE_GAP_MS = 50;

// Alt goes down as a plain key with the Alt bit, and Del up without its
// previous-down bit: the unit has always been sent them so.
inline constexpr std::array<KeyEvent, 6> CTRL_ALT_DEL_SEQUENCE{{
    {.virtualKey = 0x11, .scanCode = 0x1D},
    {.virtualKey = 0x12, .scanCode = 0x38, .altHeld = true},
    {.virtualKey = 0x2E, .scanCode = 0x53, .extended = true},
    {.virtualKey = 0x2E, .scanCode = 0x53, .extended = true, .down = false, .altHeld = true},
    {.virtualKey = 0x12, .scanCode = 0x38, .down = false, .wasDown = true},
    {.virtualKey = 0x11, .scanCode = 0x1D, .down = false, .wasDown = true},
}};

inline constexpr std::array<KeyEvent, 4> ALT_TAB_SEQUENCE{{
    {.virtualKey = 0x12, .scanCode = 0x38, .altHeld = true, .system = true},
    {.virtualKey = 0x09, .scanCode = 0x0F},
    {.virtualKey = 0x09, .scanCode = 0x0F, .down = false, .wasDown = true},
    {.virtualKey = 0x12, .scanCode = 0x38, .down = false, .wasDown = true, .system = true},
}};

// Queues the keys through the balanced send path, 50 ms apart.
void QueueFixedSequence(KeyPacer& pacer, KeySender& sender, std::span<const KeyEvent> keys,
                        KeyPacer::FailureHandler onFailure);

}  // namespace input

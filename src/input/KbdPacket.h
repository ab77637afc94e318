#pragma once
// The KBD packet: one key event and, when asked for, the state of the nine
// modifier keys, every byte shifted by the packet's subtype.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "input/Keystroke.h"
#include "platform/Desktop.h"

namespace input {

inline constexpr size_t KBD_PAYLOAD_SIZE = 21;
inline constexpr size_t KBD_MODIFIER_COUNT = 9;

using ModifierBytes = std::array<uint8_t, KBD_MODIFIER_COUNT>;
using KbdPayload = std::array<uint8_t, KBD_PAYLOAD_SIZE>;

// Shift, Alt, Ctrl, then left and right Shift, Alt and Ctrl: 1 for each held
// down on the local keyboard now.
ModifierBytes ReadModifiers(const platform::KeyboardDevice& keyboard);

// The key's message, virtual-key code and key data, then the modifier bytes.
KbdPayload MakeKbdPayload(const Keystroke& key, const ModifierBytes& modifiers);

// The subtype for a value of the C library's rand() (0..32767): 0..254.
uint8_t ScrambleKeyFor(int randomValue);
// A fresh subtype drawn at random.
uint8_t RandomScrambleKey();
// Every byte goes out as (byte + key) modulo 256.
void Scramble(std::span<uint8_t> payload, uint8_t key);

}  // namespace input

#include "input/KbdPacket.h"

#include <random>

#include "input/VirtualKeys.h"
#include "protocol/LittleEndian.h"

namespace input {

ModifierBytes ReadModifiers(const platform::KeyboardDevice& keyboard) {
  constexpr std::array<int, KBD_MODIFIER_COUNT> KEYS{VK_SHIFT,  VK_MENU,     VK_CONTROL,
                                                     VK_LSHIFT, VK_RSHIFT,   VK_LMENU,
                                                     VK_RMENU,  VK_LCONTROL, VK_RCONTROL};
  ModifierBytes bytes{};
  for (size_t i = 0; i < KEYS.size(); ++i) bytes[i] = keyboard.IsKeyDown(KEYS[i]) ? 1 : 0;
  return bytes;
}

KbdPayload MakeKbdPayload(const Keystroke& key, const ModifierBytes& modifiers) {
  KbdPayload payload{};
  StoreLE32(payload.data(), key.Message());
  StoreLE32(payload.data() + 4, key.VirtualKey());
  StoreLE32(payload.data() + 8, key.KeyData());
  std::copy(modifiers.begin(), modifiers.end(), payload.begin() + 12);
  return payload;
}

uint8_t ScrambleKeyFor(int randomValue) {
  return static_cast<uint8_t>(randomValue * 255.0 * 3.0516646830846227e-5);
}

uint8_t RandomScrambleKey() {
  thread_local std::mt19937 generator{std::random_device{}()};
  return ScrambleKeyFor(std::uniform_int_distribution<int>(0, 32767)(generator));
}

void Scramble(std::span<uint8_t> payload, uint8_t key) {
  for (uint8_t& byte : payload) byte = static_cast<uint8_t>(byte + key);
}

}  // namespace input

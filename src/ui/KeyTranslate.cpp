#include "ui/KeyTranslate.h"

#include <array>

namespace ui {
namespace {

constexpr uint32_t X_KEYCODE_OFFSET = 8;
constexpr uint32_t VK_MENU = 0x12;
constexpr uint32_t VK_F10 = 0x79;

struct KeyRow {
  uint16_t code;  // kernel key code
  uint8_t scan;   // set-1 scan code
  bool extended;
  uint8_t vk;        // the virtual-key code (with Num Lock on, for the keypad)
  uint8_t vkNoLock;  // the keypad's movement key with Num Lock off; 0 when the same
};

// Kernel key code, scan code, extended, virtual key, keypad key without Num Lock.
constexpr std::array<KeyRow, 105> KEYS{{
    {1, 0x01, false, 0x1B, 0},     {2, 0x02, false, 0x31, 0},     {3, 0x03, false, 0x32, 0},
    {4, 0x04, false, 0x33, 0},     {5, 0x05, false, 0x34, 0},     {6, 0x06, false, 0x35, 0},
    {7, 0x07, false, 0x36, 0},     {8, 0x08, false, 0x37, 0},     {9, 0x09, false, 0x38, 0},
    {10, 0x0A, false, 0x39, 0},    {11, 0x0B, false, 0x30, 0},    {12, 0x0C, false, 0xBD, 0},
    {13, 0x0D, false, 0xBB, 0},    {14, 0x0E, false, 0x08, 0},    {15, 0x0F, false, 0x09, 0},
    {16, 0x10, false, 'Q', 0},     {17, 0x11, false, 'W', 0},     {18, 0x12, false, 'E', 0},
    {19, 0x13, false, 'R', 0},     {20, 0x14, false, 'T', 0},     {21, 0x15, false, 'Y', 0},
    {22, 0x16, false, 'U', 0},     {23, 0x17, false, 'I', 0},     {24, 0x18, false, 'O', 0},
    {25, 0x19, false, 'P', 0},     {26, 0x1A, false, 0xDB, 0},    {27, 0x1B, false, 0xDD, 0},
    {28, 0x1C, false, 0x0D, 0},    {29, 0x1D, false, 0x11, 0},    {30, 0x1E, false, 'A', 0},
    {31, 0x1F, false, 'S', 0},     {32, 0x20, false, 'D', 0},     {33, 0x21, false, 'F', 0},
    {34, 0x22, false, 'G', 0},     {35, 0x23, false, 'H', 0},     {36, 0x24, false, 'J', 0},
    {37, 0x25, false, 'K', 0},     {38, 0x26, false, 'L', 0},     {39, 0x27, false, 0xBA, 0},
    {40, 0x28, false, 0xDE, 0},    {41, 0x29, false, 0xC0, 0},    {42, 0x2A, false, 0x10, 0},
    {43, 0x2B, false, 0xDC, 0},    {44, 0x2C, false, 'Z', 0},     {45, 0x2D, false, 'X', 0},
    {46, 0x2E, false, 'C', 0},     {47, 0x2F, false, 'V', 0},     {48, 0x30, false, 'B', 0},
    {49, 0x31, false, 'N', 0},     {50, 0x32, false, 'M', 0},     {51, 0x33, false, 0xBC, 0},
    {52, 0x34, false, 0xBE, 0},    {53, 0x35, false, 0xBF, 0},    {54, 0x36, false, 0x10, 0},
    {55, 0x37, false, 0x6A, 0},    {56, 0x38, false, 0x12, 0},    {57, 0x39, false, 0x20, 0},
    {58, 0x3A, false, 0x14, 0},    {59, 0x3B, false, 0x70, 0},    {60, 0x3C, false, 0x71, 0},
    {61, 0x3D, false, 0x72, 0},    {62, 0x3E, false, 0x73, 0},    {63, 0x3F, false, 0x74, 0},
    {64, 0x40, false, 0x75, 0},    {65, 0x41, false, 0x76, 0},    {66, 0x42, false, 0x77, 0},
    {67, 0x43, false, 0x78, 0},    {68, 0x44, false, 0x79, 0},    {69, 0x45, false, 0x90, 0},
    {70, 0x46, false, 0x91, 0},    {71, 0x47, false, 0x67, 0x24}, {72, 0x48, false, 0x68, 0x26},
    {73, 0x49, false, 0x69, 0x21}, {74, 0x4A, false, 0x6D, 0},    {75, 0x4B, false, 0x64, 0x25},
    {76, 0x4C, false, 0x65, 0x0C}, {77, 0x4D, false, 0x66, 0x27}, {78, 0x4E, false, 0x6B, 0},
    {79, 0x4F, false, 0x61, 0x23}, {80, 0x50, false, 0x62, 0x28}, {81, 0x51, false, 0x63, 0x22},
    {82, 0x52, false, 0x60, 0x2D}, {83, 0x53, false, 0x6E, 0x2E}, {86, 0x56, false, 0xE2, 0},
    {87, 0x57, false, 0x7A, 0},    {88, 0x58, false, 0x7B, 0},    {96, 0x1C, true, 0x0D, 0},
    {97, 0x1D, true, 0x11, 0},     {98, 0x35, false, 0x6F, 0},    {99, 0x37, false, 0x2C, 0},
    {100, 0x38, true, 0x12, 0},    {102, 0x47, false, 0x24, 0},   {103, 0x48, false, 0x26, 0},
    {104, 0x49, false, 0x21, 0},   {105, 0x4B, false, 0x25, 0},   {106, 0x4D, false, 0x27, 0},
    {107, 0x4F, false, 0x23, 0},   {108, 0x50, false, 0x28, 0},   {109, 0x51, false, 0x22, 0},
    {110, 0x52, false, 0x2D, 0},   {111, 0x53, true, 0x2E, 0},    {119, 0x45, false, 0x13, 0},
    {125, 0x5B, true, 0x5B, 0},    {126, 0x5C, true, 0x5C, 0},    {127, 0x5D, true, 0x5D, 0},
}};

const KeyRow* FindCode(uint32_t code) {
  for (const KeyRow& row : KEYS)
    if (row.code == code) return &row;
  return nullptr;
}

}  // namespace

std::optional<input::KeyEvent> TranslateKey(const KeyEventFacts& facts) {
  if (facts.xKeycode < X_KEYCODE_OFFSET) return std::nullopt;
  const KeyRow* row = FindCode(facts.xKeycode - X_KEYCODE_OFFSET);
  if (!row) return std::nullopt;

  input::KeyEvent key;
  key.virtualKey = (!facts.numLock && row->vkNoLock) ? row->vkNoLock : row->vk;
  key.scanCode = row->scan;
  key.extended = row->extended;
  key.down = facts.down;
  // Previous state: always down for a key going up, and for a repeated down.
  key.wasDown = !facts.down || facts.autoRepeat;
  key.altHeld = facts.altHeld;
  // Alt itself, keys with Alt held, and F10 are system keys.
  key.system = facts.altHeld || key.virtualKey == VK_MENU || key.virtualKey == VK_F10;
  return key;
}

uint32_t XKeycodeForVirtualKey(int virtualKey) {
  // The sided modifiers name one key each; the plain ones their left key.
  struct Sided {
    int vk;
    uint16_t code;
  };
  static constexpr std::array<Sided, 6> SIDED{
      {{0xA0, 42}, {0xA1, 54}, {0xA2, 29}, {0xA3, 97}, {0xA4, 56}, {0xA5, 100}}};
  for (const Sided& sided : SIDED)
    if (sided.vk == virtualKey) return sided.code + X_KEYCODE_OFFSET;
  for (const KeyRow& row : KEYS)
    if (row.vk == virtualKey) return row.code + X_KEYCODE_OFFSET;
  return 0;
}

}  // namespace ui

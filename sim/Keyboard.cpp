#include "Keyboard.h"

namespace sim {

namespace {

constexpr std::uint8_t SCAN_CTRL = 0x1D, SCAN_LEFT_SHIFT = 0x2A, SCAN_RIGHT_SHIFT = 0x36,
                       SCAN_ALT = 0x38, SCAN_ENTER = 0x1C, SCAN_SLASH = 0x35;

struct UsKey {
  std::uint8_t scan;  // set-1 make code
  char plain, shifted;
};

// The typing keys of a US keyboard.
constexpr UsKey US_KEYS[] = {
    {0x02, '1', '!'}, {0x03, '2', '@'},   {0x04, '3', '#'},   {0x05, '4', '$'},   {0x06, '5', '%'},
    {0x07, '6', '^'}, {0x08, '7', '&'},   {0x09, '8', '*'},   {0x0A, '9', '('},   {0x0B, '0', ')'},
    {0x0C, '-', '_'}, {0x0D, '=', '+'},   {0x0E, '\b', '\b'}, {0x0F, '\t', '\t'}, {0x10, 'q', 'Q'},
    {0x11, 'w', 'W'}, {0x12, 'e', 'E'},   {0x13, 'r', 'R'},   {0x14, 't', 'T'},   {0x15, 'y', 'Y'},
    {0x16, 'u', 'U'}, {0x17, 'i', 'I'},   {0x18, 'o', 'O'},   {0x19, 'p', 'P'},   {0x1A, '[', '{'},
    {0x1B, ']', '}'}, {0x1C, '\n', '\n'}, {0x1E, 'a', 'A'},   {0x1F, 's', 'S'},   {0x20, 'd', 'D'},
    {0x21, 'f', 'F'}, {0x22, 'g', 'G'},   {0x23, 'h', 'H'},   {0x24, 'j', 'J'},   {0x25, 'k', 'K'},
    {0x26, 'l', 'L'}, {0x27, ';', ':'},   {0x28, '\'', '"'},  {0x29, '`', '~'},   {0x2B, '\\', '|'},
    {0x2C, 'z', 'Z'}, {0x2D, 'x', 'X'},   {0x2E, 'c', 'C'},   {0x2F, 'v', 'V'},   {0x30, 'b', 'B'},
    {0x31, 'n', 'N'}, {0x32, 'm', 'M'},   {0x33, ',', '<'},   {0x34, '.', '>'},   {0x35, '/', '?'},
    {0x39, ' ', ' '},
};

// The lock keys are known by their virtual key: the viewer's key records give Num Lock and
// Pause the same scan code.
std::optional<std::uint8_t> LockOf(std::uint32_t virtualKey) {
  switch (virtualKey) {
    case 0x14:
      return CAPS_LOCK;
    case 0x90:
      return NUM_LOCK;
    case 0x91:
      return SCROLL_LOCK;
    default:
      return std::nullopt;
  }
}

bool IsKeyTransition(std::uint32_t message) {
  return message == WM_KEYDOWN || message == WM_KEYUP || message == WM_SYSKEYDOWN ||
         message == WM_SYSKEYUP || message == WM_HOOKED_KEY;
}

std::optional<char> Typed(std::uint8_t scan, bool extended, bool shift, bool caps) {
  // Of the extended keys only the keypad's Enter and '/' type.
  if (extended) {
    if (scan == SCAN_ENTER) return '\n';
    if (scan == SCAN_SLASH) return '/';
    return std::nullopt;
  }
  for (const UsKey& key : US_KEYS) {
    if (key.scan != scan) continue;
    const bool letter = key.plain >= 'a' && key.plain <= 'z';
    return (letter ? shift != caps : shift) ? key.shifted : key.plain;
  }
  return std::nullopt;
}

}  // namespace

std::optional<char> Keyboard::Apply(const KeyEvent& key) {
  // Character messages repeat what a key already did on the viewer's side.
  if (!IsKeyTransition(key.message)) return std::nullopt;
  const std::size_t index = key.Scan() + (key.Extended() ? 256u : 0u);
  if (key.Released()) {
    m_down.reset(index);
    return std::nullopt;
  }
  const bool pressed = !m_down.test(index);  // not an auto-repeat
  m_down.set(index);
  if (const auto lock = LockOf(key.virtualKey)) {
    if (pressed) m_locks ^= *lock;
    return std::nullopt;
  }
  if (Held(SCAN_CTRL) || Held(SCAN_ALT)) return std::nullopt;
  return Typed(key.Scan(), key.Extended(), Held(SCAN_LEFT_SHIFT) || Held(SCAN_RIGHT_SHIFT),
               m_locks & CAPS_LOCK);
}

bool Keyboard::Held(std::uint8_t scan) const {
  return m_down.test(scan) || m_down.test(scan + 256u);
}

}  // namespace sim

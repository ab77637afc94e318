#include "input/UsKeyboardText.h"

#include <array>
#include <cstdint>
#include <optional>

#include "input/Keystroke.h"
#include "input/VirtualKeys.h"
#include "platform/Format.h"
#include "platform/TextError.h"

namespace input {
namespace {

struct UsKey {
  char plain;
  char shifted;      // 0: the key types nothing with Shift that a text needs
  const char* name;  // its row of the key table
  // The key table's rows that end in "?" read a wrong scan byte from their
  // text, which settings files hold as it is; the key itself carries this.
  uint8_t scan = 0;
};

constexpr std::array<UsKey, 50> US_KEYS{{
    {'a', 'A', "A"},       {'b', 'B', "B"},       {'c', 'C', "C"},       {'d', 'D', "D"},
    {'e', 'E', "E"},       {'f', 'F', "F"},       {'g', 'G', "G"},       {'h', 'H', "H"},
    {'i', 'I', "I"},       {'j', 'J', "J"},       {'k', 'K', "K"},       {'l', 'L', "L"},
    {'m', 'M', "M"},       {'n', 'N', "N"},       {'o', 'O', "O"},       {'p', 'P', "P"},
    {'q', 'Q', "Q"},       {'r', 'R', "R"},       {'s', 'S', "S"},       {'t', 'T', "T"},
    {'u', 'U', "U"},       {'v', 'V', "V"},       {'w', 'W', "W"},       {'x', 'X', "X"},
    {'y', 'Y', "Y"},       {'z', 'Z', "Z"},       {'1', '!', "1"},       {'2', '@', "2"},
    {'3', '#', "3"},       {'4', '$', "4"},       {'5', '%', "5"},       {'6', '^', "6"},
    {'7', '&', "7"},       {'8', '*', "8"},       {'9', '(', "9"},       {'0', ')', "0"},
    {'`', '~', "~"},       {'-', '_', "-"},       {'=', '+', "="},       {'\\', '|', "\\"},
    {'[', '{', "{", 0x1A}, {']', '}', "}", 0x1B}, {';', ':', ";", 0x27}, {'\'', '"', "'", 0x28},
    {',', '<', ",", 0x33}, {'.', '>', ".", 0x34}, {'/', '?', "/", 0x35}, {' ', 0, "SPACE"},
    {'\t', 0, "TAB"},      {'\n', 0, "CR"},
}};

constexpr KeyEvent SHIFT_DOWN{.virtualKey = VK_SHIFT, .scanCode = SCAN_LSHIFT};
constexpr KeyEvent SHIFT_UP{
    .virtualKey = VK_SHIFT, .scanCode = SCAN_LSHIFT, .down = false, .wasDown = true};

// One code point of UTF-8 at text[at], advancing at; a stray byte reads as itself.
char32_t NextCodePoint(std::string_view text, size_t& at) {
  const auto byte = static_cast<uint8_t>(text[at++]);
  const int more = byte >= 0xF0 ? 3 : byte >= 0xE0 ? 2 : byte >= 0xC0 ? 1 : 0;
  char32_t code = more == 0 ? byte : byte & (0x3F >> more);
  for (int i = 0; i < more && at < text.size(); ++i)
    code = code << 6 | (static_cast<uint8_t>(text[at++]) & 0x3F);
  return code;
}

std::string NameOf(std::string_view character, char32_t code) {
  if (code >= 0x20 && code != 0x7F)
    return Format("'%.*s' (U+%04X)", static_cast<int>(character.size()), character.data(),
                  static_cast<unsigned>(code));
  return Format("U+%04X", static_cast<unsigned>(code));
}

}  // namespace

std::vector<KeyEvent> UsKeyEventsFor(std::string_view text) {
  std::vector<KeyEvent> keys;
  for (size_t at = 0; at < text.size();) {
    const size_t start = at;
    const char32_t code = NextCodePoint(text, at);
    const UsKey* found = nullptr;
    bool shifted = false;
    for (const UsKey& key : US_KEYS) {
      if (code == static_cast<unsigned char>(key.plain) ||
          (key.shifted != 0 && code == static_cast<unsigned char>(key.shifted))) {
        found = &key;
        shifted = code != static_cast<unsigned char>(key.plain);
        break;
      }
    }
    if (!found)
      throw TextError("No key of a US keyboard types " +
                      NameOf(text.substr(start, at - start), code) + ".");
    const Keystroke row(found->name);
    const KeyEvent down{
        .virtualKey = row.VirtualKey(),
        .scanCode = static_cast<uint8_t>(found->scan != 0 ? found->scan : row.GetOEMCode()),
        .extended = (row.KeyData() & KEY_EXTENDED) != 0};
    KeyEvent up = down;
    up.down = false;
    up.wasDown = true;
    if (shifted) keys.push_back(SHIFT_DOWN);
    keys.push_back(down);
    keys.push_back(up);
    if (shifted) keys.push_back(SHIFT_UP);
  }
  return keys;
}

}  // namespace input

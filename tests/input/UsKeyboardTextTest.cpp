// Text as a US keyboard types it.

#include <gtest/gtest.h>

#include "input/Keystroke.h"
#include "input/UsKeyboardText.h"
#include "platform/TextError.h"

using input::Keystroke;

namespace {

// The keys as the unit receives them.
std::vector<Keystroke> UsKeystrokesFor(std::string_view text) {
  std::vector<Keystroke> keys;
  for (const input::KeyEvent& key : input::UsKeyEventsFor(text))
    keys.push_back(Keystroke::FromEvent(key));
  return keys;
}

}  // namespace

TEST(UsKeyboardText, EachCharacterIsItsKeyDownAndUpShiftedWhereNeeded) {
  EXPECT_EQ(UsKeystrokesFor("aB"), (std::vector<Keystroke>{{0x100, 0x41, 0x001E0001},
                                                           {0x101, 0x41, 0xC01E0001},
                                                           {0x100, 0x10, 0x002A0001},
                                                           {0x100, 0x42, 0x00300001},
                                                           {0x101, 0x42, 0xC0300001},
                                                           {0x101, 0x10, 0xC02A0001}}));
  const struct {
    char character;
    uint32_t virtualKey;
    uint32_t scan;
    bool shifted;
  } cases[] = {
      // The key table's punctuation rows with the real scan codes.
      {'[', 0xDB, 0x1A, false},  {'}', 0xDD, 0x1B, true},   {':', 0xBA, 0x27, true},
      {'\'', 0xDE, 0x28, false}, {'<', 0xBC, 0x33, true},   {'.', 0xBE, 0x34, false},
      {'?', 0xBF, 0x35, true},   {'~', 0xC0, 0x29, true},   {'`', 0xC0, 0x29, false},
      {'_', 0xBD, 0x0C, true},   {'+', 0xBB, 0x0D, true},   {'|', 0xDC, 0x2B, true},
      {')', 0x30, 0x0B, true},   {'@', 0x32, 0x03, true},   {' ', 0x20, 0x39, false},
      {'\t', 0x09, 0x0F, false}, {'\n', 0x0D, 0x1C, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.character);
    const std::vector<Keystroke> keys = UsKeystrokesFor(std::string(1, c.character));
    ASSERT_EQ(keys.size(), c.shifted ? 4u : 2u);
    const Keystroke& down = keys[c.shifted ? 1 : 0];
    EXPECT_EQ(down, Keystroke(input::WM_KEYDOWN, c.virtualKey, c.scan << 16 | 1));
  }
}

TEST(UsKeyboardText, ACharacterNoUsKeyTypesIsNamed) {
  const std::pair<const char*, const char*> cases[] = {
      {"caf\xC3\xA9", "No key of a US keyboard types '\xC3\xA9' (U+00E9)."},
      {"a\r\n", "No key of a US keyboard types U+000D."},
  };
  for (const auto& [text, error] : cases) {
    try {
      UsKeystrokesFor(text);
      ADD_FAILURE() << text;
    } catch (const TextError& e) {
      EXPECT_EQ(e.Text(), error);
    }
  }
}

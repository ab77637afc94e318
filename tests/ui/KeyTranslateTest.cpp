#include <gtest/gtest.h>

#include <set>
#include <utility>

#include "input/KeyTables.h"
#include "ui/KeyTranslate.h"

namespace {

constexpr uint32_t X_OFFSET = 8;

// Every (virtual key, key data) a key-down of some X key gives.
std::set<std::pair<int, uint32_t>> AllDowns() {
  std::set<std::pair<int, uint32_t>> downs;
  for (uint32_t code = 0; code < 256; ++code)
    for (bool numLock : {false, true})
      if (auto key = ui::TranslateKey({code, true, false, false, numLock}))
        downs.insert(
            {static_cast<int>(key->virtualKey), input::Keystroke::FromEvent(*key).KeyData()});
  return downs;
}

}  // namespace

// The window must send each named key exactly as the key table holds it, or
// hotkeys and trigger keys made from the table never match what is typed.
TEST(KeyTranslate, EveryKeyOfTheKeyTableIsTypedAsTheTableHasIt) {
  const auto downs = AllDowns();
  for (const input::Keystroke& row : input::g_keystrokeTable) {
    // The punctuation rows' key data is cut short in the table itself.
    if ((row.KeyData() & 0xFFFF) != 1) continue;
    EXPECT_TRUE(downs.count({static_cast<int>(row.VirtualKey()), row.KeyData()}))
        << row.Name() << std::hex << " vk 0x" << row.VirtualKey() << " data 0x" << row.KeyData();
  }
}

TEST(KeyTranslate, KeyDataCarriesTransitionRepeatContextAndExtendedBits) {
  struct Case {
    const char* what;
    ui::KeyEventFacts facts;
    uint32_t message;
    int vk;
    uint32_t keyData;
  };
  const Case cases[] = {
      {"A down", {30 + X_OFFSET, true, false, false, false}, 0x100, 'A', 0x001E0001},
      {"A repeated", {30 + X_OFFSET, true, true, false, false}, 0x100, 'A', 0x401E0001},
      {"A up", {30 + X_OFFSET, false, false, false, false}, 0x101, 'A', 0xC01E0001},
      {"Alt+A", {30 + X_OFFSET, true, false, true, false}, 0x104, 'A', 0x201E0001},
      {"right Ctrl", {97 + X_OFFSET, true, false, false, false}, 0x100, 0x11, 0x011D0001},
      {"left Alt down", {56 + X_OFFSET, true, false, false, false}, 0x104, 0x12, 0x00380001},
      {"right Alt", {100 + X_OFFSET, true, false, true, false}, 0x104, 0x12, 0x21380001},
      {"keypad Enter", {96 + X_OFFSET, true, false, false, false}, 0x100, 0x0D, 0x011C0001},
      {"left Windows", {125 + X_OFFSET, true, false, false, false}, 0x100, 0x5B, 0x015B0001},
      {"menu key", {127 + X_OFFSET, true, false, false, false}, 0x100, 0x5D, 0x015D0001},
      {"keypad 7 with Num Lock",
       {71 + X_OFFSET, true, false, false, true},
       0x100,
       0x67,
       0x00470001},
      {"keypad 7 without", {71 + X_OFFSET, true, false, false, false}, 0x100, 0x24, 0x00470001},
      {"F10", {68 + X_OFFSET, true, false, false, false}, 0x104, 0x79, 0x00440001},
  };
  for (const Case& c : cases) {
    const auto event = ui::TranslateKey(c.facts);
    ASSERT_TRUE(event) << c.what;
    // As the unit receives it.
    const input::Keystroke key = input::Keystroke::FromEvent(*event);
    EXPECT_EQ(key.Message(), c.message) << c.what;
    EXPECT_EQ(key.VirtualKey(), static_cast<uint32_t>(c.vk)) << c.what;
    EXPECT_EQ(key.KeyData(), c.keyData) << std::hex << c.what << " 0x" << key.KeyData();
  }
  EXPECT_FALSE(ui::TranslateKey({0, true, false, false, false}));
  EXPECT_FALSE(ui::TranslateKey({255, true, false, false, false}));
}

TEST(KeyTranslate, InjectedKeysFindTheirXKeycode) {
  EXPECT_EQ(ui::XKeycodeForVirtualKey('A'), 30 + X_OFFSET);
  EXPECT_EQ(ui::XKeycodeForVirtualKey(0xA3), 97 + X_OFFSET);   // right Ctrl
  EXPECT_EQ(ui::XKeycodeForVirtualKey(0x24), 102 + X_OFFSET);  // Home, not keypad 7
  EXPECT_EQ(ui::XKeycodeForVirtualKey(0x14), 58 + X_OFFSET);
  EXPECT_EQ(ui::XKeycodeForVirtualKey(0xFF), 0u);
}

// The target's side of the keyboard: a key read back from its scrambled packet, what a US
// keyboard types for it, and the lock states it toggles.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "Keyboard.h"
#include "Notes.h"
#include "sim/ViewerClient.h"

using sim::KeyEvent;

namespace {

TEST(SimKeyEvent, EveryByteIsUnscrambledWithTheSubtype) {
  struct Case {
    std::uint8_t subtype;
    KeyEvent key;
  };
  const Case cases[] = {
      {0, {0x100, 0x41, 0x001E0001, {}}},
      {0x20, {0x101, 0xF0, 0xC0F000F0, {1, 0, 0, 1, 0, 0, 0, 0, 0}}},
      {254, {1107, 0x5C, 0xC15C0001, {0, 1, 1, 0, 0, 1, 0, 1, 0}}},
      {1, {0xFFFFFFFF, 0xFF, 0xFFFFFFFF, {0xFF, 0, 0, 0, 0, 0, 0, 0, 0xFF}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(int(c.subtype));
    const auto key =
        sim::ReadKeyEvent({sim::KBD, c.subtype,
                           client::KeyPayload(c.key.message, c.key.virtualKey, c.key.keyData,
                                              c.key.modifiers, c.subtype)});
    ASSERT_TRUE(key);
    EXPECT_EQ(key->message, c.key.message);
    EXPECT_EQ(key->virtualKey, c.key.virtualKey);
    EXPECT_EQ(key->keyData, c.key.keyData);
    EXPECT_EQ(key->modifiers, c.key.modifiers);
  }

  // Left Shift going up with Shift and left Shift still down, as the bytes travel with 0xE0.
  const auto shiftUp = sim::ReadKeyEvent(
      {sim::KBD, 0xE0, {0xE1, 0xE1, 0xE0, 0xE0, 0xF0, 0xE0, 0xE0, 0xE0, 0xE1, 0xE0, 0x0A,
                        0xA0, 0xE1, 0xE0, 0xE0, 0xE1, 0xE0, 0xE0, 0xE0, 0xE0, 0xE0}});
  ASSERT_TRUE(shiftUp);
  EXPECT_EQ(shiftUp->message, sim::WM_KEYUP);
  EXPECT_EQ(shiftUp->virtualKey, 0x10u);
  EXPECT_EQ(shiftUp->keyData, 0xC02A0001u);
  EXPECT_EQ(shiftUp->Scan(), 0x2A);
  EXPECT_TRUE(shiftUp->Released());
  EXPECT_EQ(shiftUp->modifiers, (std::array<std::uint8_t, 9>{1, 0, 0, 1, 0, 0, 0, 0, 0}));

  EXPECT_FALSE(sim::ReadKeyEvent({sim::KBD, 0, sim::Bytes(20, 0)}));
}

constexpr std::uint8_t LEFT_SHIFT = 0x2A, RIGHT_SHIFT = 0x36, CTRL = 0x1D, ALT = 0x38,
                       BACKSPACE = 0x0E, TAB = 0x0F, ENTER = 0x1C, SPACE = 0x39;
constexpr std::uint32_t VK_CAPS = 0x14, VK_NUM = 0x90, VK_SCROLL = 0x91, VK_PAUSE = 0x13;

// Sends keys to a keyboard as a viewer would and types what they give into a Notes window.
struct Typist {
  sim::Keyboard keyboard;
  sim::Notes notes;

  void Key(std::uint8_t scan, bool up, std::uint32_t virtualKey = 0, bool extended = false,
           std::uint32_t message = 0) {
    if (message == 0) message = up ? sim::WM_KEYUP : sim::WM_KEYDOWN;
    const std::uint32_t data =
        (up ? 0xC0000000u : 0u) | (extended ? 1u << 24 : 0u) | std::uint32_t(scan) << 16 | 1u;
    if (const auto typed = keyboard.Apply({message, virtualKey, data, {}})) notes.Type(*typed);
  }
  void Down(std::uint8_t scan, std::uint32_t virtualKey = 0) { Key(scan, false, virtualKey); }
  void Up(std::uint8_t scan, std::uint32_t virtualKey = 0) { Key(scan, true, virtualKey); }
  void Tap(std::uint8_t scan, std::uint32_t virtualKey = 0) {
    Down(scan, virtualKey);
    Up(scan, virtualKey);
  }
  void Taps(const std::vector<std::uint8_t>& scans) {
    for (auto scan : scans) Tap(scan);
  }
  void Holding(std::uint8_t modifier, const std::vector<std::uint8_t>& scans) {
    Down(modifier);
    Taps(scans);
    Up(modifier);
  }
};

TEST(SimKeyboard, TypesTheUsLayoutWithShiftAndCapsLock) {
  // Every typing key of a US keyboard, row by row, with the real scan codes of the
  // punctuation keys beside the letters ([ ] ; ' , . / are 1A 1B 27 28 33 34 35).
  const std::vector<std::uint8_t> keys = {
      0x29, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B, 0x0C,
      0x0D, 0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18, 0x19, 0x1A,
      0x1B, 0x2B, 0x1E, 0x1F, 0x20, 0x21, 0x22, 0x23, 0x24, 0x25, 0x26, 0x27,
      0x28, 0x2C, 0x2D, 0x2E, 0x2F, 0x30, 0x31, 0x32, 0x33, 0x34, 0x35, SPACE};
  struct Case {
    const char* name;
    std::uint8_t shift;  // 0: none
    bool caps;
    std::string typed;
  };
  const Case cases[] = {
      {"plain", 0, false, "`1234567890-=qwertyuiop[]\\asdfghjkl;'zxcvbnm,./ "},
      {"left Shift", LEFT_SHIFT, false, "~!@#$%^&*()_+QWERTYUIOP{}|ASDFGHJKL:\"ZXCVBNM<>? "},
      {"right Shift", RIGHT_SHIFT, false, "~!@#$%^&*()_+QWERTYUIOP{}|ASDFGHJKL:\"ZXCVBNM<>? "},
      {"Caps Lock", 0, true, "`1234567890-=QWERTYUIOP[]\\ASDFGHJKL;'ZXCVBNM,./ "},
      {"Caps Lock and Shift", LEFT_SHIFT, true,
       "~!@#$%^&*()_+qwertyuiop{}|asdfghjkl:\"zxcvbnm<>? "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Typist typist;
    if (c.caps) typist.Tap(0x3A, VK_CAPS);
    if (c.shift)
      typist.Holding(c.shift, keys);
    else
      typist.Taps(keys);
    EXPECT_EQ(typist.notes.Text(), c.typed);
  }
}

TEST(SimKeyboard, EditingKeysAndWhatTypesNothing) {
  struct Case {
    const char* name;
    std::function<void(Typist&)> keys;
    std::string typed;
  };
  const Case cases[] = {
      {"shifted words",
       [](Typist& t) {
         t.Holding(LEFT_SHIFT, {0x23});
         t.Taps({0x12, 0x26, 0x26, 0x18, 0x33, SPACE});
         t.Holding(RIGHT_SHIFT, {0x11});
         t.Taps({0x18, 0x13, 0x26, 0x20});
         t.Holding(LEFT_SHIFT, {0x02});
       },
       "Hello, World!"},
      {"Backspace, Enter, Tab",
       [](Typist& t) {
         t.Taps({0x1E, 0x30, BACKSPACE, 0x2E, ENTER, 0x20, TAB, 0x12});
       },
       "ac\nd\te"},
      {"Backspace joins lines",
       [](Typist& t) {
         t.Taps({0x1E, ENTER, BACKSPACE, 0x30});
       },
       "ab"},
      {"auto-repeat types again",
       [](Typist& t) {
         t.Down(0x1E);
         t.Down(0x1E);
         t.Up(0x1E);
       },
       "aa"},
      {"Shift let go",
       [](Typist& t) {
         t.Down(LEFT_SHIFT);
         t.Tap(0x1E);
         t.Up(LEFT_SHIFT);
         t.Tap(0x1E);
       },
       "Aa"},
      {"Ctrl and Alt shortcuts",
       [](Typist& t) {
         t.Holding(CTRL, {0x1E});
         t.Key(ALT, false, 0x12, false, sim::WM_SYSKEYDOWN);
         t.Tap(TAB);
         t.Key(ALT, true, 0x12, false, sim::WM_SYSKEYUP);
         t.Key(CTRL, false, 0x11, true);  // right Ctrl
         t.Tap(0x1E);
         t.Key(CTRL, true, 0x11, true);
         t.Tap(0x2D);
       },
       "x"},
      {"keys caught by the viewer's grab",
       [](Typist& t) {
         t.Key(0x1E, false, 0x41, false, sim::WM_HOOKED_KEY);
         t.Key(0x1E, true, 0x41, false, sim::WM_HOOKED_KEY);
       },
       "a"},
      {"character messages",
       [](Typist& t) {
         t.Key(0x1E, false, 'a', false, sim::WM_CHAR);
         t.Key(0x1E, false, 'a', false, sim::WM_SYSCHAR);
       },
       ""},
      {"extended keys",
       [](Typist& t) {
         for (std::uint8_t scan : {ENTER, std::uint8_t(0x35), std::uint8_t(0x48)}) {
           t.Key(scan, false, 0, true);
           t.Key(scan, true, 0, true);
         }
       },
       "\n/"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Typist typist;
    c.keys(typist);
    EXPECT_EQ(typist.notes.Text(), c.typed);
  }
}

TEST(SimKeyboard, LockKeysToggleOncePerPressAndOutlastTheViewer) {
  Typist typist;
  sim::Keyboard& keyboard = typist.keyboard;
  typist.Down(0x3A, VK_CAPS);
  EXPECT_EQ(keyboard.Locks(), sim::CAPS_LOCK);
  typist.Down(0x3A, VK_CAPS);  // held: auto-repeat
  typist.Up(0x3A, VK_CAPS);
  EXPECT_EQ(keyboard.Locks(), sim::CAPS_LOCK);
  typist.Tap(0x45, VK_NUM);
  typist.Tap(0x46, VK_SCROLL);
  EXPECT_EQ(keyboard.Locks(), 7);
  typist.Tap(0x45, VK_PAUSE);  // Num Lock's scan code, another key
  typist.Tap(0x3A, VK_CAPS);
  EXPECT_EQ(keyboard.Locks(), sim::NUM_LOCK | sim::SCROLL_LOCK);

  typist.Down(LEFT_SHIFT);
  keyboard.ReleaseAll();
  typist.Tap(0x1E);
  EXPECT_EQ(typist.notes.Text(), "a");
  EXPECT_EQ(keyboard.Locks(), sim::NUM_LOCK | sim::SCROLL_LOCK);
}

TEST(SimNotes, EditsAtTheEnd) {
  const std::pair<std::string, std::string> cases[] = {
      {"ab\bc", "ac"}, {"\b\b", ""}, {"a\n\bb", "ab"}, {"a\tb\n", "a\tb\n"}, {"x\x1b\x7f\ry", "xy"},
  };
  for (const auto& [typed, text] : cases) {
    sim::Notes notes("");
    notes.Type(typed);
    EXPECT_EQ(notes.Text(), text) << testing::PrintToString(typed);
  }
}

TEST(SimNotes, LinesWrapStopTabsAndLeaveRoomForTheCaret) {
  struct Case {
    std::string text;
    int columns;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {"", 5, {""}},
      {"abcde", 5, {"abcde", ""}},
      {"abcdefg", 5, {"abcde", "fg"}},
      {"a\n\nb", 5, {"a", "", "b"}},
      {"a\tb\tc", 10, {"a   b   c"}},
      {"abcd\t", 5, {"abcd ", ""}},
      {"\t", 1, {" ", ""}},
      {"ab", 0, {"a", "b", ""}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.text) + " in " + std::to_string(c.columns));
    EXPECT_EQ(sim::Notes(c.text).Lines(c.columns), c.lines);
  }
}

}  // namespace

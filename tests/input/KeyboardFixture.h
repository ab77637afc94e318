#pragma once
// The keyboard pipeline over a recording session, the headless desktop, a
// window thread in simulated time and a settings file of its own. Keys are
// written in the form the unit receives them (message, virtual key, key
// data) and fed as the KeyEvents that give those numbers; what reached the
// unit is read back from the KBD packets, unscrambled.

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <utility>
#include <vector>

#include "input/KbdPacket.h"
#include "input/KeyboardPipeline.h"
#include "platform/HeadlessDialogs.h"
#include "platform/HeadlessKeyboard.h"
#include "platform/HeadlessPointer.h"
#include "platform/HeadlessView.h"
#include "protocol/LittleEndian.h"
#include "protocol/PacketTypes.h"
#include "settings/IniFile.h"
#include "settings/MiscSettings.h"
#include "settings/TempDir.h"
#include "support/FakeSession.h"
#include "support/ManualWindowThread.h"

// One key as the unit received it.
struct SentKey {
  uint32_t message = 0;
  uint32_t virtualKey = 0;
  uint32_t keyData = 0;
  input::ModifierBytes modifiers{};
  friend bool operator==(const SentKey&, const SentKey&) = default;
};

inline std::ostream& operator<<(std::ostream& out, const SentKey& key) {
  out << std::hex << "{0x" << key.message << ", 0x" << key.virtualKey << ", 0x" << key.keyData
      << ", mods";
  for (uint8_t byte : key.modifiers) out << ' ' << int(byte);
  return out << '}' << std::dec;
}

// Without modifier states.
inline SentKey Key(uint32_t message, uint32_t virtualKey, uint32_t keyData) {
  return {message, virtualKey, keyData, {}};
}

// The key event whose keystroke record is these three numbers.
inline input::KeyEvent EventFor(uint32_t message, uint32_t virtualKey, uint32_t keyData) {
  input::KeyEvent event;
  event.virtualKey = virtualKey;
  event.scanCode = static_cast<uint8_t>(keyData >> 16);
  event.extended = (keyData & input::KEY_EXTENDED) != 0;
  event.down = (keyData & input::KEY_TRANSITION) == 0;
  event.wasDown = (keyData & input::KEY_PREVIOUS) != 0;
  event.altHeld = (keyData & input::KEY_CONTEXT) != 0;
  event.system = message == input::WM_SYSKEYDOWN || message == input::WM_SYSKEYUP;
  event.grabbed = message == input::WM_HOOKED_KEY;
  event.repeatCount = static_cast<uint16_t>(keyData & input::KEY_REPEAT_COUNT);
  const input::Keystroke record = input::Keystroke::FromEvent(event);
  EXPECT_EQ(record, input::Keystroke(message, virtualKey, keyData)) << "no key event gives these";
  return event;
}

class KeyboardTest : public testing::Test {
 protected:
  static constexpr uint32_t DOWN = input::WM_KEYDOWN;
  static constexpr uint32_t UP = input::WM_KEYUP;
  static constexpr uint32_t SYSDOWN = input::WM_SYSKEYDOWN;
  static constexpr uint32_t SYSUP = input::WM_SYSKEYUP;
  // Key data of a key going down and up, as the platform lays it out.
  static constexpr uint32_t DownData(uint8_t scan) { return uint32_t{scan} << 16 | 1; }
  static constexpr uint32_t UpData(uint8_t scan) { return 0xC0000000 | DownData(scan); }

  KeyboardTest() : ini(dir.File("Remote.ini")) {
    settings::WriteFirstRunDefaults(ini);
    // Most cases enter pass-through without the dialog that teaches the way out.
    ini.Write("MISC", "TEACH_PASSTHRU_EXIT_KEYS", "0");
    session.loggedIn = true;
    Rebuild();
  }

  // A fresh pipeline that reads the settings file as the view's first update does.
  void Rebuild() {
    keyboardPipeline.reset();
    keyboardPipeline = std::make_unique<input::KeyboardPipeline>(input::InputEnvironment{
        session, ini, window, view, dialogs, keyboard, pointer, "Tessaline",
        [this](platform::ScrollBar bar, bool towardsEnd) { scrolls.emplace_back(bar, towardsEnd); },
        [this] { return ticks; }, [this] { return scrambleKey; }, [this] { return quadView; }});
    keyboardPipeline->ReadSettings();
  }
  input::KeyboardPipeline& Pipeline() { return *keyboardPipeline; }
  // What a mouse pipeline beside the keyboard's works with: the same ports and clock.
  input::InputEnvironment MouseEnvironment() {
    return {session,  ini,     window,      view, dialogs,
            keyboard, pointer, "Tessaline", {},   [this] { return ticks; },
            {},       {}};
  }

  bool Feed(uint32_t message, uint32_t virtualKey, uint32_t keyData) {
    return Pipeline().HandleKeystrokes(EventFor(message, virtualKey, keyData));
  }
  bool Press(uint32_t virtualKey, uint8_t scan, uint32_t flags = 0) {
    return Feed(DOWN, virtualKey, DownData(scan) | flags);
  }
  bool Release(uint32_t virtualKey, uint8_t scan, uint32_t flags = 0) {
    return Feed(UP, virtualKey, UpData(scan) | flags);
  }
  // Pass-through on, with the packets of getting there forgotten.
  void EnterPassthru() {
    Pipeline().ForcePassthruMode(true);
    session.sent.clear();
  }

  // The KBD packets sent, unscrambled; other packets are left out.
  std::vector<SentKey> SentKeys() const {
    std::vector<SentKey> keys;
    for (const SentPacket& packet : session.sent) {
      if (packet.header.type != KBD) continue;
      EXPECT_EQ(packet.payload.size(), input::KBD_PAYLOAD_SIZE);
      if (packet.payload.size() != input::KBD_PAYLOAD_SIZE) continue;
      std::vector<uint8_t> plain = packet.payload;
      for (uint8_t& byte : plain) byte = static_cast<uint8_t>(byte - packet.header.subtype);
      SentKey key{
          LoadLE32(plain.data()), LoadLE32(plain.data() + 4), LoadLE32(plain.data() + 8), {}};
      std::copy(plain.begin() + 12, plain.end(), key.modifiers.begin());
      keys.push_back(key);
    }
    return keys;
  }

  TempDir dir;
  settings::IniFile ini;
  FakeSession session;
  ManualWindowThread window;
  platform::HeadlessView view;
  platform::HeadlessDialogs dialogs;
  platform::HeadlessKeyboard keyboard;
  platform::HeadlessPointer pointer;
  uint32_t ticks = 100000;
  uint8_t scrambleKey = 0;
  bool quadView = false;
  std::vector<std::pair<platform::ScrollBar, bool>> scrolls;
  std::unique_ptr<input::KeyboardPipeline> keyboardPipeline;
};

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "input/Keystroke.h"
#include "platform/TextError.h"

using input::Keystroke;

namespace {

const std::string SET_ERROR = "Error in Keystroke::Set(const char* szStr):\n";

// The text of the TextError the call throws; empty when it throws none.
template <class Call>
std::string ErrorOf(Call&& call) {
  try {
    call();
  } catch (const TextError& e) {
    return e.Text();
  }
  return {};
}

Keystroke FromText(const char* text) {
  Keystroke keystroke;
  keystroke.Set(text);
  return keystroke;
}

// "WM_KEYDOWN 41 " padded with leading zeros in the key data to the length.
std::string PaddedText(size_t length) {
  const std::string head = "WM_KEYDOWN 41 ";
  const std::string tail = "1E0001";
  return head + std::string(length - head.size() - tail.size(), '0') + tail;
}

}  // namespace

TEST(KeystrokeText, ReadsTheTextFormLeniently) {
  const struct {
    const char* text;
    uint32_t message, virtualKey, keyData;
  } cases[] = {
      {"WM_KEYDOWN 00000041 001E0001", 0x100, 0x41, 0x001E0001},
      {"WM_KEYFIRST 41 1E0001", 0x100, 0x41, 0x001E0001},
      {"WM_KEYUP 00000011 c01d0001", 0x101, 0x11, 0xC01D0001},
      {"WM_KEYDOWN 00000052 130001", 0x100, 0x52, 0x00130001},
      {"WM_SYSKEYUP 0x12 0XC0380001", 0x105, 0x12, 0xC0380001},
      // Unlike the three numbers, the text's key data keeps its reserved bits.
      {"WM_KEYLAST 11 DE1D0001", 0x108, 0x11, 0xDE1D0001},
      // Reading stops at the first character that is not a digit.
      {"WM_KEYDOWN 000000BF 0035000?", 0x100, 0xBF, 0x00035000},
      {"WM_CHAR 41 1E0001 and more", 0x102, 0x41, 0x001E0001},
      {"WM_SYSCHAR zz 1", 0x106, 0, 1},
      // An empty field reads as 0; it does not borrow the next field's number.
      {"WM_KEYDOWN  41", 0x100, 0, 0x41},
      {"WM_KEYDOWN 41 \t1E0001", 0x100, 0x41, 0x001E0001},
      {"WM_KEYDOWN 41 123456789", 0x100, 0x41, 0xFFFFFFFF},
      {"WM_KEYDOWN -1 +1E0001", 0x100, 0xFFFFFFFF, 0x001E0001},
  };
  for (const auto& c : cases) {
    const Keystroke keystroke = FromText(c.text);
    EXPECT_EQ(keystroke.Message(), c.message) << c.text;
    EXPECT_EQ(keystroke.VirtualKey(), c.virtualKey) << c.text;
    EXPECT_EQ(keystroke.KeyData(), c.keyData) << c.text;
    EXPECT_EQ(keystroke.Name(), "") << c.text;
  }
  const Keystroke longest = FromText(PaddedText(Keystroke::MAX_TEXT).c_str());
  EXPECT_EQ(longest, Keystroke(0x100, 0x41, 0x001E0001));
}

TEST(KeystrokeText, EveryMessageNameReadsAsItsNumber) {
  const struct {
    const char* name;
    uint32_t message;
  } names[] = {
      {"WM_KEYDOWN", 0x100},  {"WM_KEYFIRST", 0x100}, {"WM_KEYUP", 0x101},
      {"WM_CHAR", 0x102},     {"WM_DEADCHAR", 0x103}, {"WM_SYSKEYDOWN", 0x104},
      {"WM_SYSKEYUP", 0x105}, {"WM_SYSCHAR", 0x106},  {"WM_SYSDEADCHAR", 0x107},
      {"WM_KEYLAST", 0x108},
  };
  for (const auto& n : names) {
    const std::string text = std::string(n.name) + " 1 2";
    EXPECT_EQ(FromText(text.c_str()).Message(), n.message) << n.name;
  }
}

TEST(KeystrokeText, MalformedTextThrowsAndLeavesTheRecordAsItWas) {
  const std::string tooLong = PaddedText(Keystroke::MAX_TEXT + 1);
  const std::string tooLongNotAKeystroke(Keystroke::MAX_TEXT + 1, 'x');
  const struct {
    const char* text;
    const char* cause;
  } cases[] = {
      {tooLong.c_str(), "String too long."},
      {tooLongNotAKeystroke.c_str(), "String too long."},
      {"WM_KEYDOWN", "First space character missing."},
      {"WM_KEYDOWN 00000041", "Second space character is missing."},
      {"WM_KEYPRESS 00000041 001E0001", "Message not found in table."},
      {"WM_keydown 00000041 001E0001", "Message not found in table."},
      {"WM_ 41 1E0001", "Message not found in table."},
  };
  for (const auto& c : cases) {
    Keystroke keystroke(0x104, 0x12, 0x20380001);
    const Keystroke before = keystroke;
    EXPECT_EQ(ErrorOf([&] { keystroke.Set(c.text); }), SET_ERROR + c.cause) << c.text;
    EXPECT_EQ(keystroke, before) << c.text;
  }
}

TEST(KeystrokeText, TextWithoutTheMessagePrefixIsIgnored) {
  for (const char* text : {"KEYDOWN 00000041 001E0001", "wm_keydown 41 1E0001", "WM", "",
                           static_cast<const char*>(nullptr)}) {
    Keystroke keystroke(0x104, 0x12, 0x20380001);
    const Keystroke before = keystroke;
    EXPECT_EQ(ErrorOf([&] { keystroke.Set(text); }), "") << (text ? text : "(null)");
    EXPECT_EQ(keystroke, before) << (text ? text : "(null)");
  }
}

TEST(KeystrokeName, NamesAreCaseBlindAndKeptUpperCase) {
  const Keystroke capsLock("cap-lock");
  EXPECT_EQ(capsLock.Name(), "CAP-LOCK");
  EXPECT_EQ(capsLock.Message(), 0x100u);
  EXPECT_EQ(capsLock.VirtualKey(), 0x14u);
  EXPECT_EQ(capsLock.KeyData(), 0x003A0001u);

  EXPECT_EQ(Keystroke("f"), Keystroke("F"));
  EXPECT_EQ(Keystroke("center (kp 5)").Name(), "CENTER (KP 5)");
  EXPECT_EQ(Keystroke("center (kp 5)").VirtualKey(), 0x0Cu);
  // The punctuation rows' key data is read up to their question mark.
  EXPECT_EQ(Keystroke("/").KeyData(), 0x00035000u);
}

TEST(KeystrokeName, UnknownNamesThrow) {
  for (const char* name : {"CAPS", "", " A", "F13", "WM_KEYDOWN 00000041 001E0001"})
    EXPECT_EQ(ErrorOf([&] { Keystroke keystroke(name); }), "Can't convert string to keystroke.")
        << name;
}

TEST(KeystrokeNumbers, ReservedBitsAreClearedAndTheRestKept) {
  Keystroke keystroke;
  EXPECT_EQ(keystroke, Keystroke(0, 0, 0));
  keystroke.Set(0x101, 0x11, 0xDE1D0001);
  EXPECT_EQ(keystroke.Message(), 0x101u);
  EXPECT_EQ(keystroke.VirtualKey(), 0x11u);
  EXPECT_EQ(keystroke.KeyData(), 0xC01D0001u);
  EXPECT_EQ(keystroke.GetOEMCode(), 0x1Du);
  EXPECT_EQ(Keystroke(0x101, 0x11, 0xFFFFFFFF).KeyData(), 0xE1FFFFFFu);
}

TEST(KeystrokeSetUp, TurnsKeyMessagesAndTheTransitionBitOnly) {
  const struct {
    uint32_t message, keyData;
    bool up;
    uint32_t wantMessage, wantKeyData;
  } cases[] = {
      {0x100, 0x001E0001, true, 0x101, 0x801E0001},
      {0x101, 0xC01E0001, false, 0x100, 0x401E0001},  // previous-state bit untouched
      {0x101, 0xC01E0001, true, 0x101, 0xC01E0001},
      {0x104, 0x20380001, true, 0x105, 0xA0380001},
      {0x105, 0xE0380001, false, 0x104, 0x60380001},
      {0x102, 0x001E0001, true, 0x102, 0x801E0001},
      {input::WM_HOOKED_KEY, 0x001E0001, true, input::WM_HOOKED_KEY, 0x801E0001},
      {0, 0, true, 0, 0x80000000},
  };
  for (const auto& c : cases) {
    Keystroke keystroke(c.message, 0x41, c.keyData);
    keystroke.SetUp(c.up);
    EXPECT_EQ(keystroke, Keystroke(c.wantMessage, 0x41, c.wantKeyData))
        << std::hex << c.message << " " << c.keyData << " up=" << c.up;
    EXPECT_EQ(keystroke.IsUp(), c.up);
  }
}

TEST(KeystrokeIsSameKey, ComparesKeyAndDirectionButNotScanCodeOrMessage) {
  const struct {
    Keystroke a, b;
    bool same;
  } cases[] = {
      {{0x100, 0x41, 0x001E0001}, {0x101, 0x41, 0xC01E0001}, false},
      {{0x100, 0x41, 0x001E0001}, {0x100, 0x41, 0x00300005}, true},
      {{0x100, 0x41, 0x001E0001}, {0x104, 0x41, 0x401E0001}, true},
      {{0x100, 0x41, 0x001E0001}, {0x100, 0x42, 0x001E0001}, false},
      {{0x100, 0x41, 0x001E0001}, {0x104, 0x41, 0x201E0001}, false},
      {{0x100, 0x2E, 0x00530001}, {0x100, 0x2E, 0x01530001}, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Keystroke::IsSameKey(c.a, c.b), c.same) << c.a.Dump() << " / " << c.b.Dump();
    EXPECT_EQ(Keystroke::IsSameKey(c.b, c.a), c.same) << c.b.Dump() << " / " << c.a.Dump();
  }
}

TEST(KeystrokeDump, DescribesTheRecordOnOneLine) {
  EXPECT_EQ(Keystroke("a").Dump(),
            "message=0x100 wParam=0x41 lParam=0x  1e0001 rpt-cnt=1 OEM=0x1e char   A  flags "
            "KeyDown  ");
  EXPECT_EQ(Keystroke(0x105, 0x2E, 0xE1530003).Dump(),
            "message=0x105 wParam=0x2e lParam=0xe1530003 rpt-cnt=3 OEM=0x53 char DEL  flags "
            "KeyUp    Alted  ExtendedKey  ");
  EXPECT_EQ(Keystroke(0x102, 0xFF, 0x01030000).Dump(),
            "message=0x102 wParam=0xff lParam=0x 1030000 rpt-cnt=0 OEM=0x 3 char -unknown-  flags "
            "KeyDown  ExtendedKey  ");
}

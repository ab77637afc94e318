// Keys sent over the wire: the target types them into the Notes window the viewer sees, lock
// keys come back as KBD_LEDS, and --log-keys shows each key as it arrives.

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <string>

#include "Colour.h"
#include "Desktop.h"
#include "sim/ReferenceDecoder.h"
#include "sim/RunningUnit.h"
#include "sim/ViewerClient.h"
#include "support/SimProcess.h"

using client::Bytes;
using client::Frame;
using client::Viewer;

namespace {

constexpr std::uint32_t WM_KEYDOWN = 0x100, WM_KEYUP = 0x101;

void Tap(Viewer& viewer, std::uint32_t virtualKey, std::uint8_t scan) {
  viewer.SendKey(WM_KEYDOWN, virtualKey, std::uint32_t(scan) << 16 | 1);
  viewer.SendKey(WM_KEYUP, virtualKey, 0xC0000000u | std::uint32_t(scan) << 16 | 1);
}

void LogIn(Viewer& viewer) {
  viewer.Negotiate();
  ASSERT_EQ(viewer.Login("admin", "admin"), 2);
}

TEST(SimKeys, LockKeyPressesAreAnsweredWithTheirNewStates) {
  RunningUnit running;
  Viewer viewer(running.port);
  LogIn(viewer);

  viewer.SendKey(WM_KEYDOWN, 0x14, 0x003A0001);
  viewer.SendKey(WM_KEYDOWN, 0x14, 0x403A0001);  // auto-repeat: no second toggle
  viewer.SendKey(WM_KEYUP, 0x14, 0xC03A0001);
  Tap(viewer, 0x90, 0x45);
  Tap(viewer, 0x91, 0x46);
  Tap(viewer, 0x14, 0x3A);
  for (int locks : {4, 6, 7, 3}) {
    const Frame leds = viewer.ReceiveType(26);
    EXPECT_EQ(leds.subtype, locks);
    EXPECT_EQ(leds.payloadSize, 0);
  }
}

// Counts the sessions the unit has finished.
class SessionEnds {
 public:
  void Add() {
    std::lock_guard lock(m_mutex);
    ++m_count;
    m_changed.notify_all();
  }
  bool Wait(int count) {
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, std::chrono::seconds(5), [&] { return m_count >= count; });
  }

 private:
  std::mutex m_mutex;
  std::condition_variable m_changed;
  int m_count = 0;
};

// The picture a viewer holds of `desktop` at animation step 0, in full colour.
Bytes Rgb(const sim::Desktop& desktop, int width, int height) {
  const sim::Picture picture = desktop.Render(width, height, 0, sim::LEVEL_COLOUR);
  Bytes rgb;
  for (const auto code : picture.codes) {
    const auto c = client::ReferenceDecoder::Expand(code);
    rgb.insert(rgb.end(), c.begin(), c.end());
  }
  return rgb;
}

Bytes Size(int width, int height) {
  Bytes b;
  client::AddLe(b, std::uint32_t(width), 4);
  client::AddLe(b, std::uint32_t(height), 4);
  return b;
}

// Applies the unit's packets until the picture is `expected`; false if a full picture (a
// RESIZE or the corner fill) came on the way. A picture that never comes times the read out.
bool ReadUntil(Viewer& viewer, client::ReferenceDecoder& decoder, const Bytes& expected) {
  bool onlyUpdates = true;
  while (decoder.Rgb() != expected) {
    const Frame f = viewer.Receive();
    if (f.type == 70 || f.type == 65) onlyUpdates = false;
    decoder.Apply(f);
  }
  return onlyUpdates;
}

TEST(SimKeys, TypedTextIsDrawnAsAnUpdateAndStaysForTheNextViewer) {
  constexpr int WIDTH = 320, HEIGHT = 240;
  SessionEnds ends;
  sim::UnitOptions options;
  options.frameIntervalMs = 0;
  options.fillSquare = false;
  options.onSessionEnd = [&ends] { ends.Add(); };
  RunningUnit running(options);

  sim::Desktop desktop;
  const Bytes before = Rgb(desktop, WIDTH, HEIGHT);
  desktop.NotesWindow().Type("Hi!\n");
  const Bytes after = Rgb(desktop, WIDTH, HEIGHT);
  ASSERT_NE(before, after);

  {
    Viewer viewer(running.port);
    LogIn(viewer);
    client::ReferenceDecoder decoder;
    decoder.Resize(WIDTH, HEIGHT);
    viewer.Send(70, 0, Size(WIDTH, HEIGHT));
    ReadUntil(viewer, decoder, before);

    viewer.SendKey(WM_KEYDOWN, 0x10, 0x002A0001);
    Tap(viewer, 'H', 0x23);
    viewer.SendKey(WM_KEYUP, 0x10, 0xC02A0001);
    Tap(viewer, 'I', 0x17);
    viewer.SendKey(WM_KEYDOWN, 0x10, 0x00360001, {1, 0, 0, 0, 1, 0, 0, 0, 0});
    Tap(viewer, '1', 0x02);
    viewer.SendKey(WM_KEYUP, 0x10, 0xC0360001);
    Tap(viewer, 0x0D, 0x1C);
    EXPECT_TRUE(ReadUntil(viewer, decoder, after));
    viewer.Send(50, 0, {});
    ASSERT_TRUE(ends.Wait(1));
  }

  Viewer next(running.port);
  LogIn(next);
  client::ReferenceDecoder decoder;
  decoder.Resize(WIDTH, HEIGHT);
  next.Send(70, 0, Size(WIDTH, HEIGHT));
  ReadUntil(next, decoder, after);
}

TEST(SimKeys, LogKeysPrintsEachKeyAsItArrives) {
  struct Case {
    std::uint32_t message, virtualKey, keyData;
    std::array<std::uint8_t, 9> modifiers;
    const char* line;
  };
  const Case cases[] = {
      {0x100,
       0x41,
       0x001E0001,
       {1, 0, 0, 1, 0, 0, 0, 0, 0},
       "KEY WM_KEYDOWN 00000041 001E0001 mods 01 00 00 01 00 00 00 00 00"},
      {0x105,
       0x12,
       0xC0380001,
       {},
       "KEY WM_SYSKEYUP 00000012 C0380001 mods 00 00 00 00 00 00 00 00 00"},
      {1107,
       0x5B,
       0x015B0001,
       {0, 0, 1, 0, 0, 0, 0, 0, 1},
       "KEY WM_HOOKED_KEY 0000005B 015B0001 mods 00 00 01 00 00 00 00 00 01"},
      {0x102,
       0x61,
       0x001E0001,
       {},
       "KEY WM_CHAR 00000061 001E0001 mods 00 00 00 00 00 00 00 00 00"},
      {0x200,
       0xFF,
       0xFFFFFFFF,
       {2, 0, 0, 0, 0, 0, 0, 0, 0xFF},
       "KEY 00000200 000000FF FFFFFFFF mods 02 00 00 00 00 00 00 00 FF"},
  };
  SimProcess sim({"--log-keys"});
  Viewer viewer(sim.Port());
  LogIn(viewer);
  for (const Case& c : cases) {
    viewer.SendKey(c.message, c.virtualKey, c.keyData, c.modifiers);
    EXPECT_EQ(sim.WaitForLine("KEY "), c.line);
  }
}

}  // namespace

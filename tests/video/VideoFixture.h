#pragma once
// A frame buffer on its own settings file and a clock the test moves.

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <initializer_list>
#include <ostream>

#include "settings/IniFile.h"
#include "settings/TempDir.h"
#include "video/FrameBitmap.h"

// One stored pixel: blue, green, red.
struct Bgr {
  constexpr Bgr(int blue, int green, int red)
      : blue(static_cast<uint8_t>(blue)),
        green(static_cast<uint8_t>(green)),
        red(static_cast<uint8_t>(red)) {}
  uint8_t blue, green, red;
  friend bool operator==(const Bgr&, const Bgr&) = default;
  friend void PrintTo(const Bgr& c, std::ostream* out) {
    *out << int(c.blue) << '/' << int(c.green) << '/' << int(c.red);
  }
};

class VideoFixture : public ::testing::Test {
 protected:
  Bgr PixelAt(int x, int y) const {
    return m_bmp.ReadPixels([&](const video::PixelView& view) {
      const uint8_t* p = view.Row(y) + 3 * x;
      return Bgr(p[0], p[1], p[2]);
    });
  }
  // Fills the picture with one colour, then forgets the change.
  void Paint(uint8_t red, uint8_t green, uint8_t blue) {
    m_bmp.FillBmp(red, green, blue, -1, 0, 0, 0);
    m_bmp.EmptyDirtyRect();
  }
  static video::Interval MakeInterval(int x, int y, int count,
                                      std::initializer_list<uint8_t> data) {
    video::Interval interval;
    interval.Start(x, y);
    interval.count = count;
    for (uint8_t byte : data) interval.data[interval.length++] = byte;
    return interval;
  }

  TempDir m_dir;
  settings::IniFile m_ini{m_dir.File("Remote.ini")};
  uint32_t m_now = 1000;
  video::CFrameBitmap m_bmp{m_ini, [this] { return m_now; }};
};

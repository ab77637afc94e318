#pragma once
// A frame buffer on its own settings file and a clock the test moves.

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <deque>
#include <initializer_list>
#include <ostream>
#include <vector>

#include "settings/IniFile.h"
#include "settings/TempDir.h"
#include "video/FrameBuffer.h"

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
    m_bmp.Repaint().TakeDirtyRect();
  }
  // An interval of count pixels whose codes are those given (possibly fewer).
  video::Interval MakeInterval(int x, int y, int count, std::initializer_list<uint16_t> codes) {
    return MakeInterval(x, y, count, std::vector<uint16_t>(codes));
  }
  video::Interval MakeInterval(int x, int y, int count, const std::vector<uint16_t>& codes) {
    std::vector<uint8_t>& bytes = m_codeStore.emplace_back();
    for (uint16_t code : codes) {
      bytes.push_back(static_cast<uint8_t>(code >> 8));
      bytes.push_back(static_cast<uint8_t>(code));
    }
    return {count, y, x, bytes};
  }

  TempDir m_dir;
  settings::IniFile m_ini{m_dir.File("Remote.ini")};
  uint32_t m_now = 1000;
  video::FrameBuffer m_bmp{m_ini, [this] { return m_now; }};
  std::deque<std::vector<uint8_t>> m_codeStore;
};

#pragma once
// A screen's worth of colour codes, rows top to bottom.

#include <cstdint>
#include <string>
#include <vector>

namespace sim {

struct Rect {
  int x = 0, y = 0, width = 0, height = 0;
  bool Contains(int px, int py) const {
    return px >= x && px < x + width && py >= y && py < y + height;
  }
};

struct Picture {
  int width = 0;
  int height = 0;
  std::vector<std::uint16_t> codes;

  Picture() = default;
  Picture(int w, int h, std::uint16_t code)
      : width(w), height(h), codes(std::size_t(w) * h, code) {}
  std::uint16_t& At(int x, int y) { return codes[std::size_t(y) * width + x]; }
  std::uint16_t At(int x, int y) const { return codes[std::size_t(y) * width + x]; }
};

// Writes what the viewer would show (every code expanded to 24-bit colour) as a binary PPM
// file ("P6", rows top to bottom, red-green-blue). The file is replaced atomically so a reader
// never sees half of it. Throws std::runtime_error when it cannot be written.
void WritePpm(const Picture& picture, const std::string& path);

}  // namespace sim

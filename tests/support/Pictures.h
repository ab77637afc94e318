#pragma once
// Reading the pictures the tests compare: the simulator's own rendering (a
// binary PPM) and what the viewer saved (a 24-bit bitmap file), both as RGB
// rows, top to bottom.

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "protocol/LittleEndian.h"

inline std::string Slurp(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream content;
  content << file.rdbuf();
  return content.str();
}

struct Picture {
  int width = 0;
  int height = 0;
  std::string rgb;
};

// A binary PPM (P6, maxval 255).
inline Picture ReadPpm(const std::string& path) {
  std::istringstream in(Slurp(path));
  std::string magic;
  int maxValue = 0;
  Picture picture;
  in >> magic >> picture.width >> picture.height >> maxValue;
  in.get();
  EXPECT_EQ(magic, "P6");
  picture.rgb.assign(std::istreambuf_iterator<char>(in), {});
  return picture;
}

// A 24-bit bottom-up bitmap file.
inline Picture ReadBmp(const std::string& path) {
  const std::string file = Slurp(path);
  Picture picture;
  if (file.size() < 54 || file.compare(0, 2, "BM") != 0) return picture;
  const auto* bytes = reinterpret_cast<const uint8_t*>(file.data());
  picture.width = static_cast<int32_t>(LoadLE32(bytes + 18));
  picture.height = static_cast<int32_t>(LoadLE32(bytes + 22));
  const size_t stride = (3 * static_cast<size_t>(picture.width) + 3) & ~size_t{3};
  EXPECT_EQ(file.size(), 54 + stride * picture.height);
  for (int y = picture.height - 1; y >= 0; --y)
    for (int x = 0; x < picture.width; ++x) {
      const size_t at = 54 + y * stride + 3 * x;
      picture.rgb += {file[at + 2], file[at + 1], file[at]};
    }
  return picture;
}

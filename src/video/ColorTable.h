#pragma once
// Expansion of the unit's 16-bit colour codes (red 5, green 6, blue 5 bits) to
// the 24-bit blue-green-red the frame buffer stores, each channel rounded to
// the nearest 8-bit value. Code 1 is black; code 0 never reaches the table,
// since it stands for a pixel that keeps its value.

#include <array>
#include <cstdint>

namespace video {

// Per code: blue, green, red and a zero byte, so a pixel can be copied as one word.
using ColorEntry = std::array<uint8_t, 4>;

const std::array<ColorEntry, 65536>& ColorTable();

}  // namespace video

#pragma once
// A 5 x 7 bitmap font for the synthetic desktop's text: printable ASCII; anything else is drawn
// as a blank.

#include <cstdint>

namespace sim {

constexpr int GLYPH_WIDTH = 5;
constexpr int GLYPH_HEIGHT = 7;

// Seven rows, the leftmost pixel in bit 4.
const std::uint8_t* Glyph(char c);

}  // namespace sim

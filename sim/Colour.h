#pragma once
// Colours as the unit sends them: 16-bit RGB 5-6-5 codes. Code 0 means "pixel unchanged", so
// black travels as code 1, which the viewer expands to black.

#include <cstdint>

namespace sim {

struct Rgb {
  std::uint8_t r = 0, g = 0, b = 0;
  bool operator==(const Rgb&) const = default;
};

constexpr std::uint16_t CODE_UNCHANGED = 0;
constexpr std::uint16_t CODE_BLACK = 1;

// The nearest code below the colour (channels truncated); never 0.
std::uint16_t ToCode(Rgb colour);
// What the viewer shows for a code (never called with 0).
Rgb Expand(std::uint16_t code);

// The viewer's rendering levels, as CHANGE_COLOR_LO_HI names them.
enum ColourLevel : std::uint8_t { LEVEL_BLACK_WHITE = 0, LEVEL_GREY = 1, LEVEL_COLOUR = 2 };

// A colour reduced to a level; anything but 0 and 1 keeps full colour.
std::uint16_t Reduce(Rgb colour, int level);

}  // namespace sim

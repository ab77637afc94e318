#include "Colour.h"

namespace sim {

std::uint16_t ToCode(Rgb c) {
  const auto code = static_cast<std::uint16_t>(((c.r >> 3) << 11) | ((c.g >> 2) << 5) | (c.b >> 3));
  return code <= CODE_BLACK ? CODE_BLACK : code;
}

Rgb Expand(std::uint16_t code) {
  if (code == CODE_BLACK) return {};
  const unsigned r5 = code >> 11, g6 = (code >> 5) & 63, b5 = code & 31;
  // Rounded to nearest, in integers: floor(v * 255 / max + 1/2).
  return {static_cast<std::uint8_t>((r5 * 510 + 31) / 62),
          static_cast<std::uint8_t>((g6 * 510 + 63) / 126),
          static_cast<std::uint8_t>((b5 * 510 + 31) / 62)};
}

std::uint16_t Reduce(Rgb c, int level) {
  if (level != LEVEL_BLACK_WHITE && level != LEVEL_GREY) return ToCode(c);
  const unsigned luma = (c.r * 299u + c.g * 587u + c.b * 114u) / 1000u;
  if (level == LEVEL_BLACK_WHITE) return luma >= 128 ? 0xFFFF : CODE_BLACK;
  const auto y = static_cast<std::uint8_t>(luma);
  return ToCode({y, y, y});
}

}  // namespace sim

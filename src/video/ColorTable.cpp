#include "video/ColorTable.h"

namespace video {
namespace {

constexpr uint8_t Expand(unsigned value, unsigned maximum) {
  // Round to nearest in integers: floor(value * 255 / maximum + 0.5).
  return static_cast<uint8_t>((value * 255 * 2 + maximum) / (2 * maximum));
}

std::array<ColorEntry, 65536> MakeTable() {
  std::array<ColorEntry, 65536> table{};
  for (unsigned code = 0; code < table.size(); ++code)
    table[code] = {Expand(code & 31, 31), Expand((code >> 5) & 63, 63), Expand(code >> 11, 31), 0};
  table[1] = {0, 0, 0, 0};
  return table;
}

}  // namespace

const std::array<ColorEntry, 65536>& ColorTable() {
  static const std::array<ColorEntry, 65536> table = MakeTable();
  return table;
}

}  // namespace video

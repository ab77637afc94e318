#include "video/ColorTable.h"

#include <array>
#include <bit>
#include <cstring>

namespace video {
namespace {

constexpr uint8_t Round(unsigned value, unsigned maximum) {
  // floor(value * 255 / maximum + 0.5) in integers.
  return static_cast<uint8_t>((value * 255 * 2 + maximum) / (2 * maximum));
}

// Blue, green, red and a zero byte per code, so one load fetches a pixel.
using ColorEntry = std::array<uint8_t, 4>;

std::array<ColorEntry, 65536> MakeTable() {
  std::array<ColorEntry, 65536> table{};
  for (unsigned code = 0; code < table.size(); ++code)
    table[code] = {Round(code & 31, 31), Round((code >> 5) & 63, 63), Round(code >> 11, 31), 0};
  table[1] = {0, 0, 0, 0};
  return table;
}

const std::array<ColorEntry, 65536> TABLE = MakeTable();

inline uint32_t Expand(uint16_t code) {
  const ColorEntry& entry = TABLE[code];
  if constexpr (std::endian::native == std::endian::little) {
    uint32_t word;
    std::memcpy(&word, entry.data(), 4);
    return word;
  } else {
    return entry[0] | (entry[1] << 8) | (entry[2] << 16);
  }
}

inline uint16_t CodeAt(const uint8_t* codes, int32_t i) {
  return static_cast<uint16_t>((codes[2 * i] << 8) | codes[2 * i + 1]);
}

inline void StorePixel(uint8_t* pixel, uint32_t word) {
  pixel[0] = static_cast<uint8_t>(word);
  pixel[1] = static_cast<uint8_t>(word >> 8);
  pixel[2] = static_cast<uint8_t>(word >> 16);
}

}  // namespace

uint32_t ExpandCode(uint16_t code) { return Expand(code); }

void ExpandCodes(const uint8_t* codes, int32_t count, uint8_t* pixels) {
  int32_t i = 0;
  if constexpr (std::endian::native == std::endian::little) {
    // Four changed pixels go out as two wide stores instead of twelve narrow
    // ones; stores into the frame buffer are what bound this loop.
    for (; i + 4 <= count; i += 4, pixels += 12) {
      const uint16_t c0 = CodeAt(codes, i), c1 = CodeAt(codes, i + 1);
      const uint16_t c2 = CodeAt(codes, i + 2), c3 = CodeAt(codes, i + 3);
      if (c0 == 0 || c1 == 0 || c2 == 0 || c3 == 0) {
        const uint16_t group[4] = {c0, c1, c2, c3};
        for (int k = 0; k < 4; ++k)
          if (group[k] != 0) StorePixel(pixels + 3 * k, Expand(group[k]));
        continue;
      }
      const uint32_t e2 = Expand(c2);
      const uint64_t low = Expand(c0) | (static_cast<uint64_t>(Expand(c1)) << 24) |
                           (static_cast<uint64_t>(e2) << 48);
      const uint32_t high = (e2 >> 16) | (Expand(c3) << 8);
      std::memcpy(pixels, &low, 8);
      std::memcpy(pixels + 8, &high, 4);
    }
  }
  for (; i < count; ++i, pixels += 3) {
    const uint16_t code = CodeAt(codes, i);
    if (code != 0) StorePixel(pixels, Expand(code));
  }
}

}  // namespace video

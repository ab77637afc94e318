#include "protocol/Checksum.h"

#include <zlib.h>

#include <algorithm>

uint32_t Checksum(const uint8_t* bytes, size_t count) {
  uLong crc = crc32(0L, Z_NULL, 0);
  // zlib takes 32-bit lengths; feed larger inputs in slices.
  while (count > 0) {
    const auto slice = static_cast<uInt>(std::min<size_t>(count, 1u << 30));
    crc = crc32(crc, bytes, slice);
    bytes += slice;
    count -= slice;
  }
  return static_cast<uint32_t>(crc);
}

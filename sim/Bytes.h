#pragma once
// Byte order helpers: the frame uses little-endian fields, the video payloads big-endian ones.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace sim {

using Bytes = std::vector<std::uint8_t>;

inline void PutLe16(Bytes& out, std::uint32_t v) {
  out.push_back(v & 0xFF);
  out.push_back((v >> 8) & 0xFF);
}
inline void PutLe32(Bytes& out, std::uint32_t v) {
  PutLe16(out, v & 0xFFFF);
  PutLe16(out, v >> 16);
}
inline void PutBe16(Bytes& out, std::uint32_t v) {
  out.push_back((v >> 8) & 0xFF);
  out.push_back(v & 0xFF);
}
inline std::uint16_t GetLe16(const std::uint8_t* p) {
  return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::uint32_t GetLe32(const std::uint8_t* p) {
  return GetLe16(p) | (static_cast<std::uint32_t>(GetLe16(p + 2)) << 16);
}
inline void SetLe32(std::uint8_t* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = (v >> (8 * i)) & 0xFF;
}

}  // namespace sim

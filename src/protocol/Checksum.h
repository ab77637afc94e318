#pragma once
// The packet checksum: the common reflected CRC-32 (zlib's), over the payload
// exactly as sent. An empty input yields 0.

#include <cstddef>
#include <cstdint>

uint32_t Checksum(const uint8_t* bytes, size_t count);

#pragma once
// Expansion of the unit's 16-bit colour codes (red 5, green 6, blue 5 bits) to
// the 24-bit blue-green-red the frame buffer stores, each channel rounded to
// the nearest 8-bit value. Code 1 is black; code 0 stands for a pixel that
// keeps its value and is never expanded.

#include <cstdint>

namespace video {

// Blue in bits 0-7, green in 8-15, red in 16-23.
uint32_t ExpandCode(uint16_t code);

// Stores count codes (16-bit big-endian) as pixels of three bytes each from
// `pixels` on; code 0 leaves its three bytes alone. Writes nothing beyond the
// count pixels. Its stores may go past the caches, and other threads are sure
// to see them only after MakeExpandedVisible.
void ExpandCodes(const uint8_t* codes, int32_t count, uint8_t* pixels);

// A store fence: every pixel expanded so far is seen by any thread that takes
// the frame buffer's lock after it. One per batch of runs is enough.
void MakeExpandedVisible();

}  // namespace video

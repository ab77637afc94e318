#pragma once
// The frame buffer as a PNG file: 8-bit RGB, rows top to bottom.

#include <string>

#include "video/FrameBuffer.h"

namespace orbctl {

// Throws TextError when there is no picture or the file cannot be written.
void WritePngFile(const video::FrameBuffer& bmp, const std::string& path);

}  // namespace orbctl

#pragma once
// Saving the frame buffer as a standard bitmap file: the 14-byte file header,
// the 40-byte information header, then the rows exactly as stored (bottom-up,
// blue-green-red, padded to the stride).

#include <string>

#include "platform/Desktop.h"
#include "video/FrameBuffer.h"

namespace video {

inline constexpr size_t BITMAP_FILE_HEADER_BYTES = 14;
inline constexpr const char* SAVE_BITMAP_FAILURE_TITLE = "The system is unable to save the image";
inline constexpr const char* SAVE_BITMAP_FAILURE_DETAIL = "Could not write file:";

// Writes the picture to path, replacing any file there. Throws the failure as
// text ("No bitmap is available for saving.\n" when there is no picture).
void WriteBitmapFile(const FrameBuffer& bmp, const std::string& path);

// The save command: asks the operator for a file and writes it; a failure is
// shown to the operator. Nothing is written when the operator cancels.
void SaveBitmap(const FrameBuffer& bmp, bool connected, platform::OperatorDialogs& dialogs);

}  // namespace video

#include "PngFile.h"

#include <png.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/TextError.h"

namespace orbctl {
namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

// libpng reports failures by longjmp; the messages are kept for the text thrown.
void OnPngError(png_structp png, png_const_charp message) {
  auto* text = static_cast<std::string*>(png_get_error_ptr(png));
  *text = message;
  png_longjmp(png, 1);
}
void OnPngWarning(png_structp, png_const_charp) {}

// Runs the encoder; all C++ objects it touches live in the caller, so the
// longjmp out of libpng skips no destructor.
bool Encode(std::FILE* file, const video::PixelView& pixels, std::vector<uint8_t>& row,
            std::string& error) {
  png_structp png =
      png_create_write_struct(PNG_LIBPNG_VER_STRING, &error, OnPngError, OnPngWarning);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  if (!info || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_init_io(png, file);
  png_set_IHDR(png, info, static_cast<png_uint_32>(pixels.width),
               static_cast<png_uint_32>(pixels.height), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int32_t y = 0; y < pixels.height; ++y) {
    const uint8_t* source = pixels.Row(y);
    for (int32_t x = 0; x < pixels.width; ++x) {
      row[3 * x] = source[3 * x + 2];
      row[3 * x + 1] = source[3 * x + 1];
      row[3 * x + 2] = source[3 * x];
    }
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

}  // namespace

void WritePngFile(const video::FrameBuffer& bmp, const std::string& path) {
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
  if (!file)
    throw TextError("Could not open file for writing.\n" + std::string(std::strerror(errno)));
  std::string error;
  const bool written = bmp.ReadPixels([&](const video::PixelView& pixels) {
    if (!pixels.data || pixels.width <= 0 || pixels.height <= 0)
      throw TextError("No bitmap is available for saving.\n");
    std::vector<uint8_t> row(3 * static_cast<size_t>(pixels.width));
    return Encode(file.get(), pixels, row, error);
  });
  if (!written) throw TextError("Error writing PNG file\n" + error);
  if (std::fclose(file.release()) != 0)
    throw TextError("Error writing PNG file\n" + std::string(std::strerror(errno)));
}

}  // namespace orbctl

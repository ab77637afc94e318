#include "video/BitmapFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <vector>

#include "platform/TextError.h"
#include "protocol/LittleEndian.h"

namespace video {
namespace {

constexpr const char* NO_BITMAP_TEXT = "No bitmap is available for saving.\n";

struct Picture {
  BitmapInfoHeader header;
  std::vector<uint8_t> pixels;
};

// Copied under the lock, so the decoder waits for a copy rather than for a disk.
Picture TakePicture(const FrameBuffer& bmp) {
  return bmp.ReadPixels([](const PixelView& view) {
    Picture picture;
    if (view.data == nullptr) return picture;
    picture.header.biWidth = view.width;
    picture.header.biHeight = view.height;
    picture.pixels.assign(view.data, view.data + static_cast<size_t>(view.stride) * view.height);
    return picture;
  });
}

class OutputFile {
 public:
  explicit OutputFile(const std::string& path)
      : m_fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644)) {
    if (m_fd < 0)
      throw TextError(std::string("Could not open file for writing.\n") + std::strerror(errno));
  }
  ~OutputFile() {
    if (m_fd >= 0) ::close(m_fd);
  }
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  void Write(const uint8_t* bytes, size_t count, const char* failure) {
    while (count > 0) {
      const ssize_t written = ::write(m_fd, bytes, count);
      if (written < 0 && errno == EINTR) continue;
      if (written <= 0)
        throw TextError(failure +
                        std::string(written < 0 ? std::strerror(errno) : "No space left."));
      bytes += written;
      count -= static_cast<size_t>(written);
    }
  }

  void Close() {
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0)
      throw TextError(std::string("Error writing pixel data\n") + std::strerror(errno));
  }

 private:
  int m_fd;
};

}  // namespace

void WriteBitmapFile(const FrameBuffer& bmp, const std::string& path) {
  const Picture picture = TakePicture(bmp);
  if (picture.header.biWidth == 0 || picture.header.biHeight == 0) throw TextError(NO_BITMAP_TEXT);

  const auto pixelBytes = static_cast<uint32_t>(picture.pixels.size());
  uint8_t fileHeader[BITMAP_FILE_HEADER_BYTES] = {'B', 'M'};
  StoreLE32(fileHeader + 2, BITMAP_FILE_HEADER_BYTES + BitmapInfoHeader::BYTES + pixelBytes);
  StoreLE32(fileHeader + 10, BITMAP_FILE_HEADER_BYTES + BitmapInfoHeader::BYTES);
  uint8_t infoHeader[BitmapInfoHeader::BYTES];
  picture.header.Serialise(infoHeader);

  OutputFile file(path);
  file.Write(fileHeader, sizeof fileHeader, "Error writing FileHeader\n");
  file.Write(infoHeader, sizeof infoHeader, "Error writing Bitmap Header\n");
  file.Write(picture.pixels.data(), picture.pixels.size(), "Error writing pixel data\n");
  file.Close();
}

void SaveBitmap(const FrameBuffer& bmp, bool connected, platform::OperatorDialogs& dialogs) {
  try {
    const platform::Size size = bmp.Size();
    if (!connected || size.width == 0 || size.height == 0) throw TextError(NO_BITMAP_TEXT);
    const auto path = dialogs.ChooseFileToSave("Save Bitmap", "Bitmap Files|*.bmp", "*.bmp");
    if (!path) return;
    std::filesystem::path file(*path);
    if (!file.has_extension()) file += ".bmp";
    WriteBitmapFile(bmp, file.string());
  } catch (const TextError& e) {
    dialogs.ShowError(SAVE_BITMAP_FAILURE_TITLE,
                      std::string(SAVE_BITMAP_FAILURE_DETAIL) + "\n" + e.Text());
  }
}

}  // namespace video

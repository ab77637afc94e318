// The video decoder over one connection's worth of packets, into a frame
// buffer of the input's size. Input: width and height in steps of four
// pixels, then packets, each a flags byte (bit 0: MULTISEGMENT, else
// SEGMENT), the subtype, DataSize and the payload length (16-bit each) and
// the payload. One zlib stream runs through all the packets of an input, as
// through a connection. A packet the decoder rejects ends the input, as it
// ends the connection; it may only do so with a text.

#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "platform/TextError.h"
#include "protocol/PacketTypes.h"
#include "settings/IniFile.h"
#include "video/FrameBuffer.h"
#include "video/VideoDecoder.h"

namespace {

// Paints whenever asked, so the frame buffer is read while it is written.
class Painter : public video::VideoObserver {
 public:
  explicit Painter(video::FrameBuffer& bmp) : m_bmp(bmp) {}
  bool PaintsEachInterval() override { return m_paintEach; }
  void PaintNow() override { Paint(); }
  uint64_t TakeMouseMoveStamp() override { return 1; }
  void AfterVideoPacket() override {
    m_paintEach = !m_paintEach;
    Paint();
  }

 private:
  // Reads every byte the dirty rectangle names inside the picture.
  void Paint() {
    const video::DirtyRect dirty = m_bmp.Repaint().GetRect();
    m_bmp.ReadPixels([&](const video::PixelView& view) {
      if (!view.data || dirty.IsEmpty()) return;
      const int32_t top = std::max(dirty.top, 0), bottom = std::min(dirty.bottom, view.height);
      const int32_t left = std::max(dirty.left, 0), right = std::min(dirty.right, view.width);
      for (int32_t y = top; y < bottom; ++y)
        for (int32_t x = left; x < right; ++x) m_sum += view.Row(y)[3 * x];
    });
    m_bmp.Repaint().TakeDirtyRect();
  }

  video::FrameBuffer& m_bmp;
  bool m_paintEach = false;
  uint32_t m_sum = 0;
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::InstallFormattingSink();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // No such file: every setting reads its default.
  static settings::IniFile ini("/nonexistent/orb-fuzz/Remote.ini");
  fuzz::Input input(data, size);
  const int32_t width = 4 * (input.Byte() + 1);
  const int32_t height = 4 * (input.Byte() + 1);

  video::FrameBuffer bmp(ini, [] { return 1000u; });
  bmp.SetBitmapSize(width, height);
  Painter painter(bmp);
  video::VideoDecoder decoder(bmp, &painter);
  fuzz::Require(decoder.ResetZLib(), "zlib would not start");

  std::vector<uint8_t> payload;
  while (input.Left() > 0) {
    const uint8_t flags = input.Byte();
    PacketHeader header(flags & 1 ? MULTISEGMENT : SEGMENT, input.Byte());
    header.DataSize = input.Word();
    const auto bytes = input.Take(input.Word());
    // A buffer of exactly the payload's size, so any read past it is seen.
    payload.assign(bytes.begin(), bytes.end());
    header.PayloadSize = static_cast<uint16_t>(payload.size());
    try {
      decoder.HandleInterval(header, payload.data(), payload.size());
    } catch (const TextError&) {
      break;
    }
    const platform::Size now = bmp.Size();
    fuzz::Require(now.width == width && now.height == height, "video changed the picture's size");
  }
  return 0;
}

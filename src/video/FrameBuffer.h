#pragma once
// The viewer's copy of the remote screen: a 24-bit picture stored bottom-up in
// plain memory, blue-green-red, rows padded to a multiple of four bytes, as
// the standard bitmap file holds it. The monitor thread writes decoded video
// into it while the window thread sizes, fills, paints and saves it; one lock
// keeps a resize from ever meeting a half-written row. Two parts share that
// lock and the picture's size: the repaint schedule keeps what changed since
// the last paint, and the video gate decides whether decoded video is written
// at all, so that video never lands in a picture of another size.

#include <cstdint>
#include <mutex>
#include <span>
#include <vector>

#include "platform/Clock.h"
#include "platform/Desktop.h"
#include "settings/IniFile.h"
#include "video/Interval.h"
#include "video/RepaintSchedule.h"
#include "video/TickSource.h"
#include "video/VideoGate.h"

namespace video {

inline constexpr int BMP_BOUNDS_CATEGORY = 130;
// Larger pictures than any screen the viewer can show are refused.
inline constexpr int MAX_BITMAP_SIDE = 8192;

// The standard 40-byte bitmap information header, as held and as written.
struct BitmapInfoHeader {
  static constexpr size_t BYTES = 40;
  uint32_t biSize = BYTES;
  int32_t biWidth = 0;
  int32_t biHeight = 0;  // positive: rows are stored bottom-up
  uint16_t biPlanes = 1;
  uint16_t biBitCount = 24;
  uint32_t biCompression = 0;  // BI_RGB
  uint32_t biSizeImage = 0;
  int32_t biXPelsPerMeter = 0;
  int32_t biYPelsPerMeter = 0;
  uint32_t biClrUsed = 0;
  uint32_t biClrImportant = 0;

  void Serialise(uint8_t* out) const;
};

// The pixels as a reader sees them while it holds the lock.
struct PixelView {
  const uint8_t* data = nullptr;  // nullptr while there is no bitmap
  int32_t width = 0;
  int32_t height = 0;
  int32_t stride = 0;
  // Row y of the remote screen, 0 at the top.
  const uint8_t* Row(int32_t y) const {
    return data + static_cast<size_t>(height - y - 1) * stride;
  }
};

class FrameBuffer {
 public:
  // Reads BlockTimeToLive and RepaintDelayMS from the settings.
  explicit FrameBuffer(settings::IniFile& ini, TickSource ticks = platform::GetTickCount);
  FrameBuffer(const FrameBuffer&) = delete;
  FrameBuffer& operator=(const FrameBuffer&) = delete;

  // Bytes per row: 3 x width rounded up to a multiple of 4.
  static int32_t StrideFor(int32_t width) { return 3 * width + width % 4; }

  // Replaces the picture with a black one of this size, all of it dirty.
  void SetBitmapSize(int32_t width, int32_t height);
  platform::Size Size() const;
  BitmapInfoHeader Header() const;

  // Writes one decoded run at the picture's present size, unless video is
  // blocked or the picture is not at the size the unit draws at.
  void ImageUpdate(const Interval& interval);
  // Writes a packet's runs in order under one hold of the lock. decodedFor is
  // the picture's size the runs were cut for (VideoGate::BeginCut): the opcode
  // stream's positions count pixels over the width, so in a picture of any
  // other size, or one that is not at the size the unit draws at, the rows
  // would land at the wrong stride. Such a packet is dropped, and the drop
  // remembered.
  void ImageUpdates(std::span<const Interval> intervals, platform::Size decodedFor);
  // Columns x1..x2 and rows y1..y2, inclusive; a negative x1 fills everything.
  void FillBmp(uint8_t red, uint8_t green, uint8_t blue, int16_t x1, int16_t y1, int16_t x2,
               int16_t y2);

  // Runs reader(const PixelView&) under the lock and returns what it returns.
  template <class Reader>
  decltype(auto) ReadPixels(Reader&& reader) const {
    std::lock_guard lock(m_lock);
    return std::forward<Reader>(reader)(ViewLocked());
  }

  RepaintSchedule& Repaint() { return m_repaint; }
  const RepaintSchedule& Repaint() const { return m_repaint; }
  VideoGate& Gate() { return m_gate; }
  const VideoGate& Gate() const { return m_gate; }

 private:
  PixelView ViewLocked() const;
  // False when the run holds no pixels and so changes nothing.
  bool WriteLocked(const Interval& interval);
  uint8_t* RowLocked(int32_t y) {
    return m_pixels.data() + static_cast<size_t>(m_picture.height - y - 1) * m_stride;
  }
  void FillLocked(uint8_t red, uint8_t green, uint8_t blue, int32_t left, int32_t top,
                  int32_t right, int32_t bottom);

  mutable std::mutex m_lock;
  platform::Size m_picture;
  int32_t m_stride = 0;
  std::vector<uint8_t> m_pixels;
  // The gate reads BlockTimeToLive before the schedule reads RepaintDelayMS.
  VideoGate m_gate;
  RepaintSchedule m_repaint;
};

}  // namespace video

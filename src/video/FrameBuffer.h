#pragma once
// The viewer's copy of the remote screen: a 24-bit picture stored bottom-up in
// plain memory, blue-green-red, rows padded to a multiple of four bytes, as
// the standard bitmap file holds it. The monitor thread writes decoded video
// into it while the window thread sizes, fills, paints and saves it; one lock
// keeps a resize from ever meeting a half-written row. Beside the pixels it
// keeps what changed since the last paint, whether video is being ignored
// because it was encoded for a size the viewer has just given up, and the size
// the unit draws at, so that video never lands in a picture of another size.

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <span>
#include <vector>

#include "platform/Clock.h"
#include "platform/Desktop.h"
#include "settings/IniFile.h"
#include "video/Interval.h"

namespace video {

inline constexpr int BMP_DIRTY_CATEGORY = 120;
inline constexpr int BMP_BOUNDS_CATEGORY = 130;
inline constexpr int BLOCK_VIDEO_CATEGORY = 905;
// Larger pictures than any screen the viewer can show are refused.
inline constexpr int MAX_BITMAP_SIDE = 8192;
inline constexpr int32_t EMPTY_DIRTY_EDGE = 99999;

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

// Right and bottom exclusive; empty is left = top = 99999, right = bottom = 0.
struct DirtyRect {
  int32_t left = EMPTY_DIRTY_EDGE;
  int32_t top = EMPTY_DIRTY_EDGE;
  int32_t right = 0;
  int32_t bottom = 0;
  bool IsEmpty() const { return left == EMPTY_DIRTY_EDGE; }
  friend bool operator==(const DirtyRect&, const DirtyRect&) = default;
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
  using TickSource = std::function<uint32_t()>;

  // Reads BlockTimeToLive and RepaintDelayMS from the settings.
  explicit FrameBuffer(settings::IniFile& ini, TickSource ticks = platform::GetTickCount);
  FrameBuffer(const FrameBuffer&) = delete;
  FrameBuffer& operator=(const FrameBuffer&) = delete;

  // Bytes per row: 3 x width rounded up to a multiple of 4.
  static int32_t StrideFor(int32_t width) { return 3 * width + width % 4; }

  // Replaces the picture with a black one of this size, all of it dirty.
  void SetBitmapSize(int32_t width, int32_t height);
  bool HasBitmap() const;
  platform::Size Size() const;
  BitmapInfoHeader Header() const;

  // The picture's size for a video packet about to be cut into runs. The
  // packet is under way until EndCut: a resize meanwhile dooms its runs,
  // which would land at the old stride, and counts them as dropped at once,
  // so the window thread learns of the loss in the same step as it resizes.
  platform::Size BeginCut();
  void EndCut();
  // Writes one decoded run at the picture's present size, unless video is
  // blocked or the picture is not at the size the unit draws at.
  void ImageUpdate(const Interval& interval);
  // Writes a packet's runs in order under one hold of the lock. decodedFor is
  // the picture's size the runs were cut for: the opcode stream's positions
  // count pixels over the width, so in a picture of any other size, or one
  // that is not at the size the unit draws at, the rows would land at the
  // wrong stride. Such a packet is dropped, and the drop remembered.
  void ImageUpdates(std::span<const Interval> intervals, platform::Size decodedFor);
  // Columns x1..x2 and rows y1..y2, inclusive; a negative x1 fills everything.
  void FillBmp(uint8_t red, uint8_t green, uint8_t blue, int16_t x1, int16_t y1, int16_t x2,
               int16_t y2);

  DirtyRect GetRect() const;
  // The dirty rectangle, emptied in the same step: what the decoder marks
  // after this is left for the next paint.
  DirtyRect TakeDirtyRect();
  void MarkAllDirty();
  // Whether the view timer should paint now: a change is pending, at least
  // RepaintDelayMS old, and no paint is under way. Waiting lets the changes
  // that arrive meanwhile be painted together.
  bool IsRepaintDue() const;
  uint32_t RepaintDelay() const { return m_repaintDelayMs; }
  // Takes up RepaintDelayMS afresh, as the operator changed it.
  void ReadRepaintDelay(settings::IniFile& ini);
  void SetPainting(bool painting) { m_painting = painting; }
  bool IsPainting() const { return m_painting; }

  void SetBlockUpdates(bool on);
  bool IsBlocking() const { return m_blockUpdates != 0; }
  // Blocking has lasted longer than BlockTimeToLive (never when that is 0).
  bool IsBlockingStale() const;
  uint32_t BlockTimeToLive() const { return m_blockTimeToLive; }
  // Video is written now: not blocked, and the picture at the size the unit
  // draws at (or that size is not known yet).
  bool TakesVideo() const;

  // The unit's RESIZE echo (payload: width, height, 32-bit little-endian).
  // The echo marks the point in the stream from which the unit draws at the
  // echoed size, starting with a whole picture, so the receive thread calls
  // this as it cuts the packet, before it decodes the video behind it. Ends
  // blocking and answers true when the echoed size is the picture's.
  bool TakeResizeEcho(const uint8_t* payload, size_t length);
  // The unit draws at this size from here on without a whole picture being
  // due (its ONE_TO_ONE answer): what it sends before the picture has this
  // size is dropped, to be asked for again.
  void SetDrawSize(platform::Size size);
  // Nothing is known of the size the unit draws at (a new connection), so no
  // video is dropped for its size.
  void ForgetDrawSize();
  platform::Size DrawSize() const;
  // True, once, when video was dropped for its size and the picture now has
  // the size the unit draws at: the moment to ask for the picture again.
  bool TakeDroppedVideo();

  // Runs reader(const PixelView&) under the lock and returns what it returns.
  template <class Reader>
  decltype(auto) ReadPixels(Reader&& reader) const {
    std::lock_guard lock(m_lock);
    return std::forward<Reader>(reader)(ViewLocked());
  }

 private:
  PixelView ViewLocked() const;
  // False when the run holds no pixels and so changes nothing.
  bool WriteLocked(const Interval& interval);
  uint8_t* RowLocked(int32_t y) {
    return m_pixels.data() + static_cast<size_t>(m_header.biHeight - y - 1) * m_stride;
  }
  void FillLocked(uint8_t red, uint8_t green, uint8_t blue, int32_t left, int32_t top,
                  int32_t right, int32_t bottom);
  void NoteFirstChangeLocked();
  uint32_t NonZeroTick() const;
  bool AtDrawSizeLocked() const;

  mutable std::mutex m_lock;
  TickSource m_ticks;
  BitmapInfoHeader m_header;
  int32_t m_stride = 0;
  std::vector<uint8_t> m_pixels;
  DirtyRect m_dirty;
  uint32_t m_firstChangeTick = 0;
  // The size the unit draws at, 0 x 0 while unknown. These three are guarded
  // by the lock, so a drop and the resize that makes the sizes agree are seen
  // in one order by both threads.
  platform::Size m_drawSize;
  bool m_droppedVideo = false;
  std::optional<platform::Size> m_cutFor;
  std::atomic<bool> m_painting{false};
  std::atomic<uint32_t> m_blockUpdates{0};
  uint32_t m_blockTimeToLive = 0;
  std::atomic<uint32_t> m_repaintDelayMs{0};
};

}  // namespace video

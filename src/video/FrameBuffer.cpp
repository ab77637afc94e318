#include "video/FrameBuffer.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "platform/TextError.h"
#include "platform/Trace.h"
#include "protocol/LittleEndian.h"
#include "settings/MiscSettings.h"
#include "video/ColorTable.h"

namespace video {
namespace {

uint16_t LoadBE16(const uint8_t* p) { return static_cast<uint16_t>((p[0] << 8) | p[1]); }

void TraceColumnOutOfBounds(int32_t x) {
  TraceCategory(2, BMP_BOUNDS_CATEGORY, "********** COrb::SetPixel() X is out of bounds.  X = %d\n",
                x);
}

}  // namespace

void BitmapInfoHeader::Serialise(uint8_t* out) const {
  StoreLE32(out + 0, biSize);
  StoreLE32(out + 4, static_cast<uint32_t>(biWidth));
  StoreLE32(out + 8, static_cast<uint32_t>(biHeight));
  StoreLE16(out + 12, biPlanes);
  StoreLE16(out + 14, biBitCount);
  StoreLE32(out + 16, biCompression);
  StoreLE32(out + 20, biSizeImage);
  StoreLE32(out + 24, static_cast<uint32_t>(biXPelsPerMeter));
  StoreLE32(out + 28, static_cast<uint32_t>(biYPelsPerMeter));
  StoreLE32(out + 32, biClrUsed);
  StoreLE32(out + 36, biClrImportant);
}

FrameBuffer::FrameBuffer(settings::IniFile& ini, TickSource ticks)
    : m_ticks(std::move(ticks)),
      m_blockTimeToLive(static_cast<uint32_t>(settings::ReadMiscNumber(ini, "BlockTimeToLive"))) {
  ReadRepaintDelay(ini);
}

void FrameBuffer::ReadRepaintDelay(settings::IniFile& ini) {
  m_repaintDelayMs = static_cast<uint32_t>(settings::ReadMiscNumber(ini, "RepaintDelayMS"));
}

uint32_t FrameBuffer::NonZeroTick() const {
  // 0 means "none" in both tick fields, so a tick that happens to be 0 is moved on.
  const uint32_t tick = m_ticks();
  return tick == 0 ? 1 : tick;
}

void FrameBuffer::SetBitmapSize(int32_t width, int32_t height) {
  std::lock_guard lock(m_lock);
  if (width < 1 || height < 1 || width > MAX_BITMAP_SIDE || height > MAX_BITMAP_SIDE)
    throw TextError("CreateDIBSection() failed.");
  try {
    const int32_t stride = StrideFor(width);
    m_pixels.assign(static_cast<size_t>(stride) * static_cast<size_t>(height), 0);
    m_stride = stride;
  } catch (const std::bad_alloc&) {
    m_pixels.clear();
    m_header.biWidth = m_header.biHeight = 0;
    throw TextError("CreateDIBSection() failed.");
  }
  m_header.biWidth = width;
  m_header.biHeight = height;
  if (m_cutFor && *m_cutFor != platform::Size{width, height}) m_droppedVideo = true;
  // The new picture is black, which the assignment above already made it.
  m_dirty = {0, 0, width, height};
  NoteFirstChangeLocked();
}

bool FrameBuffer::HasBitmap() const {
  std::lock_guard lock(m_lock);
  return !m_pixels.empty();
}

platform::Size FrameBuffer::Size() const {
  std::lock_guard lock(m_lock);
  return {m_header.biWidth, m_header.biHeight};
}

BitmapInfoHeader FrameBuffer::Header() const {
  std::lock_guard lock(m_lock);
  return m_header;
}

PixelView FrameBuffer::ViewLocked() const {
  if (m_pixels.empty()) return {};
  return {m_pixels.data(), m_header.biWidth, m_header.biHeight, m_stride};
}

platform::Size FrameBuffer::BeginCut() {
  std::lock_guard lock(m_lock);
  m_cutFor = platform::Size{m_header.biWidth, m_header.biHeight};
  return *m_cutFor;
}

void FrameBuffer::EndCut() {
  std::lock_guard lock(m_lock);
  m_cutFor.reset();
}

void FrameBuffer::ImageUpdate(const Interval& interval) { ImageUpdates({&interval, 1}, Size()); }

void FrameBuffer::ImageUpdates(std::span<const Interval> intervals, platform::Size decodedFor) {
  if (m_blockUpdates != 0) {
    for (size_t i = 0; i < intervals.size(); ++i)
      TraceCategory(5, BLOCK_VIDEO_CATEGORY, "Blocking video in ImageUpdate.\n");
    return;
  }
  std::lock_guard lock(m_lock);
  if (intervals.empty()) return;
  // A resize while the packet was cut counted its runs as dropped already.
  const bool resized = decodedFor != platform::Size{m_header.biWidth, m_header.biHeight};
  if (resized || !AtDrawSizeLocked()) {
    TraceCategory(5, BLOCK_VIDEO_CATEGORY,
                  "Dropping video cut for %d x %d, drawn at %d x %d, in a picture of %d x %d.\n",
                  decodedFor.width, decodedFor.height, m_drawSize.width, m_drawSize.height,
                  m_header.biWidth, m_header.biHeight);
    if (!resized) m_droppedVideo = true;
    return;
  }
  bool changed = false;
  for (const Interval& interval : intervals) changed |= WriteLocked(interval);
  // Once per batch: the fence is what a run's own stores would otherwise cost.
  MakeExpandedVisible();
  if (changed) NoteFirstChangeLocked();
}

bool FrameBuffer::WriteLocked(const Interval& interval) {
  if (interval.count <= 0) return false;
  const int32_t count = std::min(interval.count, MAX_INTERVAL_PIXELS);
  const auto present = static_cast<int32_t>(std::min<size_t>(interval.codes.size() / 2, count));
  const uint8_t* codes = interval.codes.data();

  const int32_t width = m_header.biWidth;
  const bool rowInside = !m_pixels.empty() && interval.y >= 0 && interval.y < m_header.biHeight;
  uint8_t* row = rowInside ? RowLocked(interval.y) : nullptr;
  const int64_t x = interval.x;
  if (row && x >= 0 && x + present <= width) {
    ExpandCodes(codes, present, row + 3 * x);
  } else {
    for (int32_t i = 0; i < present; ++i) {
      const int64_t column = x + i;
      const uint16_t code = LoadBE16(codes + 2 * i);
      if (column < 0 || column >= width)
        TraceColumnOutOfBounds(static_cast<int32_t>(column));
      else if (row && code != UNCHANGED_CODE)
        ExpandCodes(codes + 2 * i, 1, row + 3 * column);
    }
  }

  const int32_t right = static_cast<int32_t>(std::min<int64_t>(x + count, INT32_MAX));
  m_dirty.left = std::min(m_dirty.left, interval.x);
  m_dirty.right = std::max(m_dirty.right, right);
  m_dirty.top = std::min(m_dirty.top, interval.y);
  m_dirty.bottom = std::max(m_dirty.bottom, interval.y + 1);
  TraceCategory(3, BMP_DIRTY_CATEGORY, "INTERVAL: %d,%d  %d\n", interval.x, interval.y, right);
  TraceCategory(3, BMP_DIRTY_CATEGORY, "ImageUpdate %d,%d  %d,%d\n", m_dirty.left, m_dirty.top,
                m_dirty.right, m_dirty.bottom);
  return true;
}

void FrameBuffer::FillBmp(uint8_t red, uint8_t green, uint8_t blue, int16_t x1, int16_t y1,
                           int16_t x2, int16_t y2) {
  std::lock_guard lock(m_lock);
  if (m_pixels.empty())
    throw TextError("FillBmp() was called when there was no rectangle present.");
  if (x1 < 0)
    FillLocked(red, green, blue, 0, 0, m_header.biWidth - 1, m_header.biHeight - 1);
  else
    FillLocked(red, green, blue, x1, y1, x2, y2);
  m_dirty = {0, 0, m_header.biWidth, m_header.biHeight};
  NoteFirstChangeLocked();
}

void FrameBuffer::FillLocked(uint8_t red, uint8_t green, uint8_t blue, int32_t left, int32_t top,
                              int32_t right, int32_t bottom) {
  if (left > right || top > bottom) return;
  // A rectangle reaching past the picture is clipped to it; the first column
  // outside is traced once rather than once per pixel of a possibly huge area.
  if (left < 0)
    TraceColumnOutOfBounds(left);
  else if (right >= m_header.biWidth)
    TraceColumnOutOfBounds(std::max(left, m_header.biWidth));
  const int32_t x0 = std::max(left, 0);
  const int32_t x1 = std::min(right, m_header.biWidth - 1);
  const int32_t y0 = std::max(top, 0);
  const int32_t y1 = std::min(bottom, m_header.biHeight - 1);
  if (x0 > x1 || y0 > y1) return;
  const uint8_t bgr[3] = {blue, green, red};
  for (int32_t y = y0; y <= y1; ++y) {
    uint8_t* pixel = RowLocked(y) + 3 * x0;
    for (int32_t x = x0; x <= x1; ++x, pixel += 3) std::memcpy(pixel, bgr, 3);
  }
}

void FrameBuffer::NoteFirstChangeLocked() {
  if (m_firstChangeTick == 0) m_firstChangeTick = NonZeroTick();
}

DirtyRect FrameBuffer::GetRect() const {
  std::lock_guard lock(m_lock);
  return m_dirty;
}

DirtyRect FrameBuffer::TakeDirtyRect() {
  std::lock_guard lock(m_lock);
  const DirtyRect taken = m_dirty;
  m_dirty = {};
  m_firstChangeTick = 0;
  return taken;
}

void FrameBuffer::MarkAllDirty() {
  std::lock_guard lock(m_lock);
  m_dirty = {0, 0, m_header.biWidth, m_header.biHeight};
}

bool FrameBuffer::IsRepaintDue() const {
  if (m_painting) return false;
  std::lock_guard lock(m_lock);
  if (m_dirty.IsEmpty() || m_firstChangeTick == 0) return false;
  return m_ticks() - m_firstChangeTick >= m_repaintDelayMs;
}

void FrameBuffer::SetBlockUpdates(bool on) {
  if (on) {
    const uint32_t tick = NonZeroTick();
    m_blockUpdates = tick;
    TraceCategory(5, BLOCK_VIDEO_CATEGORY, "Setting m_blockUpdates = GetTickCount() %d\n",
                  static_cast<int>(tick));
  } else {
    m_blockUpdates = 0;
    TraceCategory(5, BLOCK_VIDEO_CATEGORY, "Clearing m_blockUpdates\n");
  }
}

bool FrameBuffer::IsBlockingStale() const {
  const uint32_t since = m_blockUpdates;
  if (since == 0 || m_blockTimeToLive == 0) {
    TraceCategory(5, BLOCK_VIDEO_CATEGORY, "Not checking.\n");
    return false;
  }
  const uint32_t now = m_ticks();
  TraceCategory(5, BLOCK_VIDEO_CATEGORY, "GetTickCount() - m_blockUpdates > m_blockTimeToLive\n");
  TraceCategory(5, BLOCK_VIDEO_CATEGORY, "%u - %u > %u\n", now, since, m_blockTimeToLive);
  if (now - since > m_blockTimeToLive) {
    TraceCategory(5, BLOCK_VIDEO_CATEGORY, "Blocking is stale\n");
    return true;
  }
  return false;
}

bool FrameBuffer::TakesVideo() const {
  if (m_blockUpdates != 0) return false;
  std::lock_guard lock(m_lock);
  return AtDrawSizeLocked();
}

bool FrameBuffer::AtDrawSizeLocked() const {
  return m_drawSize == platform::Size{} ||
         m_drawSize == platform::Size{m_header.biWidth, m_header.biHeight};
}

bool FrameBuffer::TakeResizeEcho(const uint8_t* payload, size_t length) {
  if (payload == nullptr || length < 8) return false;
  const platform::Size echoed{static_cast<int32_t>(LoadLE32(payload)),
                              static_cast<int32_t>(LoadLE32(payload + 4))};
  {
    std::lock_guard lock(m_lock);
    m_drawSize = echoed;
    // The whole picture that follows the echo replaces whatever was dropped.
    m_droppedVideo = false;
    if (echoed != platform::Size{m_header.biWidth, m_header.biHeight}) return false;
  }
  if (m_blockUpdates != 0) SetBlockUpdates(false);
  return true;
}

void FrameBuffer::SetDrawSize(platform::Size size) {
  std::lock_guard lock(m_lock);
  m_drawSize = size;
}

void FrameBuffer::ForgetDrawSize() {
  std::lock_guard lock(m_lock);
  m_drawSize = {};
  m_droppedVideo = false;
  m_cutFor.reset();
}

platform::Size FrameBuffer::DrawSize() const {
  std::lock_guard lock(m_lock);
  return m_drawSize;
}

bool FrameBuffer::TakeDroppedVideo() {
  std::lock_guard lock(m_lock);
  if (!m_droppedVideo || !AtDrawSizeLocked()) return false;
  m_droppedVideo = false;
  return true;
}

}  // namespace video

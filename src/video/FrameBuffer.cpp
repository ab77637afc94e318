#include "video/FrameBuffer.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

#include "platform/TextError.h"
#include "platform/Trace.h"
#include "protocol/LittleEndian.h"
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
    : m_gate(ini, m_lock, m_picture, ticks), m_repaint(ini, m_lock, m_picture, std::move(ticks)) {}

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
    m_picture = {};
    throw TextError("CreateDIBSection() failed.");
  }
  m_picture = {width, height};
  m_gate.ResizedLocked();
  // The new picture is black, which the assignment above already made it.
  m_repaint.MarkAllDirtyLocked();
  m_repaint.NoteFirstChangeLocked();
}

platform::Size FrameBuffer::Size() const {
  std::lock_guard lock(m_lock);
  return m_picture;
}

BitmapInfoHeader FrameBuffer::Header() const {
  BitmapInfoHeader header;
  std::lock_guard lock(m_lock);
  header.biWidth = m_picture.width;
  header.biHeight = m_picture.height;
  return header;
}

PixelView FrameBuffer::ViewLocked() const {
  if (m_pixels.empty()) return {};
  return {m_pixels.data(), m_picture.width, m_picture.height, m_stride};
}

void FrameBuffer::ImageUpdate(const Interval& interval) { ImageUpdates({&interval, 1}, Size()); }

void FrameBuffer::ImageUpdates(std::span<const Interval> intervals, platform::Size decodedFor) {
  if (m_gate.IsBlocking()) {
    for (size_t i = 0; i < intervals.size(); ++i)
      TraceCategory(5, BLOCK_VIDEO_CATEGORY, "Blocking video in ImageUpdate.\n");
    return;
  }
  std::lock_guard lock(m_lock);
  if (intervals.empty() || !m_gate.AdmitsLocked(decodedFor)) return;
  bool changed = false;
  for (const Interval& interval : intervals) changed |= WriteLocked(interval);
  // Once per batch: the fence is what a run's own stores would otherwise cost.
  MakeExpandedVisible();
  if (changed) m_repaint.NoteFirstChangeLocked();
}

bool FrameBuffer::WriteLocked(const Interval& interval) {
  if (interval.count <= 0) return false;
  const int32_t count = std::min(interval.count, MAX_INTERVAL_PIXELS);
  const auto present = static_cast<int32_t>(std::min<size_t>(interval.codes.size() / 2, count));
  const uint8_t* codes = interval.codes.data();

  const int32_t width = m_picture.width;
  const bool rowInside = !m_pixels.empty() && interval.y >= 0 && interval.y < m_picture.height;
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
  m_repaint.MarkRunLocked(interval.x, interval.y, right);
  return true;
}

void FrameBuffer::FillBmp(uint8_t red, uint8_t green, uint8_t blue, int16_t x1, int16_t y1,
                          int16_t x2, int16_t y2) {
  std::lock_guard lock(m_lock);
  if (m_pixels.empty())
    throw TextError("FillBmp() was called when there was no rectangle present.");
  if (x1 < 0)
    FillLocked(red, green, blue, 0, 0, m_picture.width - 1, m_picture.height - 1);
  else
    FillLocked(red, green, blue, x1, y1, x2, y2);
  m_repaint.MarkAllDirtyLocked();
  m_repaint.NoteFirstChangeLocked();
}

void FrameBuffer::FillLocked(uint8_t red, uint8_t green, uint8_t blue, int32_t left, int32_t top,
                             int32_t right, int32_t bottom) {
  if (left > right || top > bottom) return;
  // A rectangle reaching past the picture is clipped to it; the first column
  // outside is traced once rather than once per pixel of a possibly huge area.
  if (left < 0)
    TraceColumnOutOfBounds(left);
  else if (right >= m_picture.width)
    TraceColumnOutOfBounds(std::max(left, m_picture.width));
  const int32_t x0 = std::max(left, 0);
  const int32_t x1 = std::min(right, m_picture.width - 1);
  const int32_t y0 = std::max(top, 0);
  const int32_t y1 = std::min(bottom, m_picture.height - 1);
  if (x0 > x1 || y0 > y1) return;
  const uint8_t bgr[3] = {blue, green, red};
  for (int32_t y = y0; y <= y1; ++y) {
    uint8_t* pixel = RowLocked(y) + 3 * x0;
    for (int32_t x = x0; x <= x1; ++x, pixel += 3) std::memcpy(pixel, bgr, 3);
  }
}

}  // namespace video

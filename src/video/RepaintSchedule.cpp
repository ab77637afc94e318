#include "video/RepaintSchedule.h"

#include <algorithm>
#include <utility>

#include "platform/Trace.h"
#include "settings/MiscSettings.h"

namespace video {

RepaintSchedule::RepaintSchedule(settings::IniFile& ini, std::mutex& lock,
                                 const platform::Size& picture, TickSource ticks)
    : m_lock(lock), m_picture(picture), m_ticks(std::move(ticks)) {
  ReadRepaintDelay(ini);
}

void RepaintSchedule::ReadRepaintDelay(settings::IniFile& ini) {
  m_repaintDelayMs = static_cast<uint32_t>(settings::ReadMiscNumber(ini, "RepaintDelayMS"));
}

void RepaintSchedule::MarkAllDirtyLocked() { m_dirty = {0, 0, m_picture.width, m_picture.height}; }

void RepaintSchedule::MarkRunLocked(int32_t x, int32_t y, int32_t right) {
  m_dirty.left = std::min(m_dirty.left, x);
  m_dirty.right = std::max(m_dirty.right, right);
  m_dirty.top = std::min(m_dirty.top, y);
  m_dirty.bottom = std::max(m_dirty.bottom, y + 1);
  TraceCategory(3, BMP_DIRTY_CATEGORY, "INTERVAL: %d,%d  %d\n", x, y, right);
  TraceCategory(3, BMP_DIRTY_CATEGORY, "ImageUpdate %d,%d  %d,%d\n", m_dirty.left, m_dirty.top,
                m_dirty.right, m_dirty.bottom);
}

void RepaintSchedule::NoteFirstChangeLocked() {
  if (m_firstChangeTick == 0) m_firstChangeTick = NonZeroTick(m_ticks);
}

DirtyRect RepaintSchedule::GetRect() const {
  std::lock_guard lock(m_lock);
  return m_dirty;
}

DirtyRect RepaintSchedule::TakeDirtyRect() {
  std::lock_guard lock(m_lock);
  const DirtyRect taken = m_dirty;
  m_dirty = {};
  m_firstChangeTick = 0;
  return taken;
}

void RepaintSchedule::MarkAllDirty() {
  std::lock_guard lock(m_lock);
  MarkAllDirtyLocked();
}

bool RepaintSchedule::IsRepaintDue() const {
  if (m_painting) return false;
  std::lock_guard lock(m_lock);
  if (m_dirty.IsEmpty() || m_firstChangeTick == 0) return false;
  return m_ticks() - m_firstChangeTick >= m_repaintDelayMs;
}

}  // namespace video

#pragma once
// What of the frame buffer's picture changed since the last paint, and when
// the view timer should paint it. A change waits RepaintDelayMS from the first
// one so that the changes arriving meanwhile are painted together. The
// schedule shares the frame buffer's lock and its picture size: the frame
// buffer marks what it writes in the same hold of the lock, so a painter never
// sees pixels without their mark.

#include <atomic>
#include <cstdint>
#include <mutex>

#include "platform/Desktop.h"
#include "settings/IniFile.h"
#include "video/TickSource.h"

namespace video {

inline constexpr int BMP_DIRTY_CATEGORY = 120;
inline constexpr int32_t EMPTY_DIRTY_EDGE = 99999;

// Right and bottom exclusive; empty is left = top = 99999, right = bottom = 0.
struct DirtyRect {
  int32_t left = EMPTY_DIRTY_EDGE;
  int32_t top = EMPTY_DIRTY_EDGE;
  int32_t right = 0;
  int32_t bottom = 0;
  bool IsEmpty() const { return left == EMPTY_DIRTY_EDGE; }
  friend bool operator==(const DirtyRect&, const DirtyRect&) = default;
};

class RepaintSchedule {
 public:
  // Reads RepaintDelayMS from the settings. lock guards picture, the size of
  // the frame buffer's picture.
  RepaintSchedule(settings::IniFile& ini, std::mutex& lock, const platform::Size& picture,
                  TickSource ticks);

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

 private:
  // The frame buffer marks what it changes while it holds the lock.
  friend class FrameBuffer;
  void MarkAllDirtyLocked();
  // A run of row y from column x up to right (exclusive).
  void MarkRunLocked(int32_t x, int32_t y, int32_t right);
  void NoteFirstChangeLocked();

  std::mutex& m_lock;
  const platform::Size& m_picture;
  TickSource m_ticks;
  DirtyRect m_dirty;
  uint32_t m_firstChangeTick = 0;
  std::atomic<bool> m_painting{false};
  std::atomic<uint32_t> m_repaintDelayMs{0};
};

}  // namespace video

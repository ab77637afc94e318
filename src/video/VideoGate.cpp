#include "video/VideoGate.h"

#include <utility>

#include "platform/Trace.h"
#include "protocol/LittleEndian.h"
#include "settings/MiscSettings.h"

namespace video {

VideoGate::VideoGate(settings::IniFile& ini, std::mutex& lock, const platform::Size& picture,
                     TickSource ticks)
    : m_lock(lock),
      m_picture(picture),
      m_ticks(std::move(ticks)),
      m_blockTimeToLive(static_cast<uint32_t>(settings::ReadMiscNumber(ini, "BlockTimeToLive"))) {}

void VideoGate::SetBlockUpdates(bool on) {
  if (on) {
    const uint32_t tick = NonZeroTick(m_ticks);
    m_blockUpdates = tick;
    TraceCategory(5, BLOCK_VIDEO_CATEGORY, "Setting m_blockUpdates = GetTickCount() %d\n",
                  static_cast<int>(tick));
  } else {
    m_blockUpdates = 0;
    TraceCategory(5, BLOCK_VIDEO_CATEGORY, "Clearing m_blockUpdates\n");
  }
}

bool VideoGate::IsBlockingStale() const {
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

bool VideoGate::TakesVideo() const {
  if (m_blockUpdates != 0) return false;
  std::lock_guard lock(m_lock);
  return AtDrawSizeLocked();
}

bool VideoGate::AtDrawSizeLocked() const {
  return m_drawSize == platform::Size{} || m_drawSize == m_picture;
}

platform::Size VideoGate::BeginCut() {
  std::lock_guard lock(m_lock);
  m_cutFor = m_picture;
  return *m_cutFor;
}

void VideoGate::EndCut() {
  std::lock_guard lock(m_lock);
  m_cutFor.reset();
}

void VideoGate::ResizedLocked() {
  if (m_cutFor && *m_cutFor != m_picture) m_droppedVideo = true;
}

bool VideoGate::AdmitsLocked(platform::Size decodedFor) {
  // A resize while the packet was cut counted its runs as dropped already.
  const bool resized = decodedFor != m_picture;
  if (!resized && AtDrawSizeLocked()) return true;
  TraceCategory(5, BLOCK_VIDEO_CATEGORY,
                "Dropping video cut for %d x %d, drawn at %d x %d, in a picture of %d x %d.\n",
                decodedFor.width, decodedFor.height, m_drawSize.width, m_drawSize.height,
                m_picture.width, m_picture.height);
  if (!resized) m_droppedVideo = true;
  return false;
}

bool VideoGate::TakeResizeEcho(const uint8_t* payload, size_t length) {
  if (payload == nullptr || length < 8) return false;
  const platform::Size echoed{static_cast<int32_t>(LoadLE32(payload)),
                              static_cast<int32_t>(LoadLE32(payload + 4))};
  {
    std::lock_guard lock(m_lock);
    m_drawSize = echoed;
    // The whole picture that follows the echo replaces whatever was dropped.
    m_droppedVideo = false;
    if (echoed != m_picture) return false;
  }
  if (m_blockUpdates != 0) SetBlockUpdates(false);
  return true;
}

void VideoGate::SetDrawSize(platform::Size size) {
  std::lock_guard lock(m_lock);
  m_drawSize = size;
}

void VideoGate::ForgetDrawSize() {
  std::lock_guard lock(m_lock);
  m_drawSize = {};
  m_droppedVideo = false;
  m_cutFor.reset();
}

platform::Size VideoGate::DrawSize() const {
  std::lock_guard lock(m_lock);
  return m_drawSize;
}

bool VideoGate::TakeDroppedVideo() {
  std::lock_guard lock(m_lock);
  if (!m_droppedVideo || !AtDrawSizeLocked()) return false;
  m_droppedVideo = false;
  return true;
}

}  // namespace video

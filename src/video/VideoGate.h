#pragma once
// Whether decoded video is written into the frame buffer's picture. Video is
// blocked while the viewer waits for the unit to take up a new size, and it is
// dropped when it was cut for, or drawn at, a size other than the picture's:
// its rows would land at the wrong stride. A drop is remembered so that the
// picture is asked for again once the sizes agree. The gate shares the frame
// buffer's lock and its picture size, so a drop and the resize that makes the
// sizes agree are seen in one order by both threads.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>

#include "platform/Desktop.h"
#include "settings/IniFile.h"
#include "video/TickSource.h"

namespace video {

inline constexpr int BLOCK_VIDEO_CATEGORY = 905;

class VideoGate {
 public:
  // Reads BlockTimeToLive from the settings. lock guards picture, the size of
  // the frame buffer's picture.
  VideoGate(settings::IniFile& ini, std::mutex& lock, const platform::Size& picture,
            TickSource ticks);

  void SetBlockUpdates(bool on);
  bool IsBlocking() const { return m_blockUpdates != 0; }
  // Blocking has lasted longer than BlockTimeToLive (never when that is 0).
  bool IsBlockingStale() const;
  uint32_t BlockTimeToLive() const { return m_blockTimeToLive; }
  // Video is written now: not blocked, and the picture at the size the unit
  // draws at (or that size is not known yet).
  bool TakesVideo() const;

  // The picture's size for a video packet about to be cut into runs. The
  // packet is under way until EndCut: a resize meanwhile dooms its runs,
  // which would land at the old stride, and counts them as dropped at once,
  // so the window thread learns of the loss in the same step as it resizes.
  platform::Size BeginCut();
  void EndCut();

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

 private:
  // The frame buffer asks and tells the gate while it holds the lock.
  friend class FrameBuffer;
  // The picture has just taken a new size.
  void ResizedLocked();
  // Whether runs cut for a picture of decodedFor land in the picture; a
  // packet that does not is traced, and its drop remembered when the picture
  // was not resized under it.
  bool AdmitsLocked(platform::Size decodedFor);
  bool AtDrawSizeLocked() const;

  std::mutex& m_lock;
  const platform::Size& m_picture;
  TickSource m_ticks;
  std::atomic<uint32_t> m_blockUpdates{0};
  uint32_t m_blockTimeToLive = 0;
  // The size the unit draws at, 0 x 0 while unknown. These three are guarded
  // by the lock.
  platform::Size m_drawSize;
  bool m_droppedVideo = false;
  std::optional<platform::Size> m_cutFor;
};

}  // namespace video

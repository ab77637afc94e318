#include "view/ViewVideoPath.h"

#include "protocol/LittleEndian.h"
#include "view/ViewGeometry.h"

namespace view {

bool ViewVideoPath::InitDecompression() {
  // A new connection: what the last unit drew at says nothing of this one.
  m_bmp.Gate().ForgetDrawSize();
  return m_decoder.ResetZLib();
}

void ViewVideoPath::HandleSegment(const PacketHeader& header, const uint8_t* payload,
                                  int32_t length) {
  // Video encoded for a size just given up is ignored, so it is not counted
  // as drawn: a picture is not settled while its replacement is still due.
  const bool drawn = m_bmp.Gate().TakesVideo();
  m_decoder.HandleInterval(header, payload, length > 0 ? static_cast<size_t>(length) : 0);
  if (!drawn) return;
  m_lastSegmentTick = platform::GetTickCount();
  if (m_segments++ == 0) m_firstSegmentTick = m_lastSegmentTick.load();
}

void ViewVideoPath::AfterSegments() {
  // One task waiting is enough: the paint it brings takes whatever is dirty
  // by then, and a stream of video must not flood the window thread.
  if (m_bmp.Repaint().RepaintDelay() != 0 || m_videoWrittenPosted.exchange(true)) return;
  const bool posted = m_events.Post([this] {
    // Taken before the observer looks, so video written meanwhile posts again.
    m_videoWrittenPosted = false;
    m_observer.OnVideoWritten();
  });
  if (!posted) m_videoWrittenPosted = false;
}

bool ViewVideoPath::EndStaleBlock() {
  if (!m_bmp.Gate().IsBlockingStale()) return false;
  m_bmp.Gate().SetBlockUpdates(false);
  return true;
}

void ViewVideoPath::OnResizeEcho(const uint8_t* payload, int32_t length) {
  m_bmp.Gate().TakeResizeEcho(payload, length > 0 ? static_cast<size_t>(length) : 0);
}

// The unit draws at its native size from the answer on, and its whole screen
// may follow at once, before the window can have grown to it.
void ViewVideoPath::OnOneToOneReply(const uint8_t* payload, int32_t length) {
  if (payload == nullptr || length < 8) return;
  const platform::Size native{static_cast<int32_t>(LoadLE32(payload)),
                              static_cast<int32_t>(LoadLE32(payload + 4))};
  // An answer the view would not fit itself to says nothing it can use.
  if (native.width <= 0 || native.height <= 0 || native.width > MAX_REMOTE_WIDTH ||
      native.height > MAX_REMOTE_HEIGHT)
    return;
  m_bmp.Gate().SetDrawSize(native);
  m_bmp.Gate().SetBlockUpdates(false);
}

}  // namespace view

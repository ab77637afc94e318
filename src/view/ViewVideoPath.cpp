#include "view/ViewVideoPath.h"

#include "platform/WindowMessages.h"

namespace view {

void ViewVideoPath::HandleSegment(const PacketHeader& header, const uint8_t* payload,
                                  int32_t length) {
  // Video encoded for a size just given up is ignored, so it is not counted
  // as drawn: a picture is not settled while its replacement is still due.
  const bool drawn = !m_bmp.IsBlocking();
  m_decoder.HandleInterval(header, payload, length > 0 ? static_cast<size_t>(length) : 0);
  if (!drawn) return;
  m_lastSegmentTick = platform::GetTickCount();
  if (m_segments++ == 0) m_firstSegmentTick = m_lastSegmentTick.load();
}

void ViewVideoPath::AfterSegments() {
  // One message waiting is enough: the paint it brings takes whatever is
  // dirty by then, and a stream of video must not flood the window thread.
  if (m_bmp.RepaintDelay() != 0 || m_videoWrittenPosted.exchange(true)) return;
  if (!m_window.Post(
          platform::MakeMessage(platform::WindowId::View, platform::WM_KVM_VIDEO_WRITTEN)))
    m_videoWrittenPosted = false;
}

bool ViewVideoPath::EndStaleBlock() {
  if (!m_bmp.IsBlockingStale()) return false;
  m_bmp.SetBlockUpdates(false);
  return true;
}

void ViewVideoPath::OnResizeEcho(const uint8_t* payload, int32_t length) {
  m_bmp.EndBlockOnResizeEcho(payload, length > 0 ? static_cast<size_t>(length) : 0);
}

}  // namespace view

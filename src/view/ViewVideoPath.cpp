#include "view/ViewVideoPath.h"

namespace view {

void ViewVideoPath::HandleSegment(const PacketHeader& header, const uint8_t* payload,
                                  int32_t length) {
  m_decoder.HandleInterval(header, payload, length > 0 ? static_cast<size_t>(length) : 0);
  m_lastSegmentTick = platform::GetTickCount();
  if (m_segments++ == 0) m_firstSegmentTick = m_lastSegmentTick.load();
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

#include "view/ReplyMailbox.h"

#include <algorithm>
#include <cstring>

#include "platform/Clock.h"

namespace view {

uint32_t ReplyMailbox::Store(int32_t status, const uint8_t* bytes, size_t count, size_t limit) {
  m_status = status;
  const size_t length = std::min({count, limit, m_data.size()});
  if (length > 0) std::memcpy(m_data.data(), bytes, length);
  if (length < m_data.size()) m_data[length] = 0;
  m_length = static_cast<uint32_t>(length);
  return m_length;
}

bool AwaitReply(ReplyMailbox& mailbox, platform::WindowThread& window,
                const std::function<void()>& send, int32_t mark) {
  mailbox.SetStatus(mark);
  send();
  for (int poll = 0; poll < REPLY_POLLS; ++poll) {
    window.PumpPending();
    if (mailbox.Status() != mark) return true;
    platform::Sleep(REPLY_POLL_MS);
  }
  window.PumpPending();
  return mailbox.Status() != mark;
}

}  // namespace view

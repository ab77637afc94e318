#include "view/ReplyMailbox.h"

#include <algorithm>
#include <cstring>


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
  // The window keeps running meanwhile, and the wait ends as soon as the
  // reply is stored.
  return window.PumpUntil([&] { return mailbox.Status() != mark; }, REPLY_POLLS * REPLY_POLL_MS);
}

}  // namespace view

#include "view/ReplyMailbox.h"

#include <algorithm>
#include <cstring>

namespace view {

uint32_t ReplyMailbox::Store(int32_t status, const uint8_t* bytes, size_t count, size_t limit) {
  const size_t length = std::min({count, limit, m_data.size()});
  if (length > 0) std::memcpy(m_data.data(), bytes, length);
  if (length < m_data.size()) m_data[length] = 0;
  m_length = static_cast<uint32_t>(length);
  // Told last, so that a waiting requester finds the data in place.
  SetStatus(status);
  return m_length;
}

}  // namespace view

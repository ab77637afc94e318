#pragma once
// Where the dispatcher leaves the unit's replies to file and serial requests.
// A requester waits for one with admin::ReplyWait.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "admin/ReplyWait.h"

namespace view {

inline constexpr size_t FILE_REPLY_CAPACITY = 66000;
// The serial text keeps room for its terminating zero.
inline constexpr size_t SERIAL_REPLY_CAPACITY = 33000;

class ReplyMailbox : public admin::ReplySlot {
 public:
  explicit ReplyMailbox(size_t capacity) : m_data(capacity, 0) {}

  uint32_t Length() const { return m_length; }
  const uint8_t* Data() const { return m_data.data(); }
  size_t Capacity() const { return m_data.size(); }
  // The data as a text (the serial reply).
  std::string Text() const override {
    return std::string(reinterpret_cast<const char*>(Data()), m_length);
  }

  // Stores the reply's status and up to limit of the count bytes that arrived
  // (never more than the buffer holds), with a zero after them where there is
  // room; returns the length stored.
  uint32_t Store(int32_t status, const uint8_t* bytes, size_t count, size_t limit);

 private:
  uint32_t m_length = 0;
  std::vector<uint8_t> m_data;
};

}  // namespace view

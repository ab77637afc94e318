#pragma once
// Where the dispatcher leaves the unit's replies to file and serial requests,
// and the wait a requester runs on the window thread until one arrives.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/WindowThread.h"

namespace view {

// No reply has come yet.
inline constexpr int32_t REPLY_PENDING = -10;
inline constexpr size_t FILE_REPLY_CAPACITY = 66000;
// The serial text keeps room for its terminating zero.
inline constexpr size_t SERIAL_REPLY_CAPACITY = 33000;
inline constexpr int REPLY_POLLS = 50;
inline constexpr uint32_t REPLY_POLL_MS = 100;

class ReplyMailbox {
 public:
  explicit ReplyMailbox(size_t capacity) : m_data(capacity, 0) {}

  int32_t Status() const { return m_status; }
  void SetStatus(int32_t status) { m_status = status; }
  uint32_t Length() const { return m_length; }
  const uint8_t* Data() const { return m_data.data(); }
  size_t Capacity() const { return m_data.size(); }
  // The data as a text (the serial reply).
  std::string Text() const { return std::string(reinterpret_cast<const char*>(Data()), m_length); }

  // Stores the reply's status and up to limit of the count bytes that arrived
  // (never more than the buffer holds), with a zero after them where there is
  // room; returns the length stored.
  uint32_t Store(int32_t status, const uint8_t* bytes, size_t count, size_t limit);

 private:
  int32_t m_status = REPLY_PENDING;
  uint32_t m_length = 0;
  std::vector<uint8_t> m_data;
};

// Marks the mailbox with mark, runs send, then runs the window thread until
// the status differs from the mark (true) or 50 polls of 100 ms have passed.
bool AwaitReply(ReplyMailbox& mailbox, platform::WindowThread& window,
                const std::function<void()>& send, int32_t mark = REPLY_PENDING);

}  // namespace view

#pragma once
// How the power strip's requests reach the unit and wait for its answers: a
// packet sender, the window thread to keep running while waiting, and the
// reply slot the dispatcher fills (status, and the text a reply carries).

#include <cstdint>
#include <functional>
#include <string>

#include "platform/WindowThread.h"
#include "protocol/PacketSender.h"

namespace admin {

inline constexpr int32_t REPLY_AWAITED = -10;
inline constexpr uint32_t REPLY_POLL_INTERVAL_MS = 100;

struct ReplySlot {
  std::function<int32_t()> status;
  std::function<void(int32_t)> setStatus;
  std::function<std::string()> text;
};

// The slot of a mailbox that has Status, SetStatus and Text.
template <class Mailbox>
ReplySlot SlotOf(Mailbox& mailbox) {
  return {[&mailbox] { return mailbox.Status(); },
          [&mailbox](int32_t status) { mailbox.SetStatus(status); },
          [&mailbox] { return mailbox.Text(); }};
}

struct PowerStripLink {
  PacketSender& sender;
  platform::WindowThread& window;
  ReplySlot file;
  ReplySlot serial;
};

// Marks slot as awaited, runs send, then keeps the window thread running for
// at most polls intervals; the status the reply left, still REPLY_AWAITED
// when none came.
int32_t AwaitStatus(platform::WindowThread& window, const ReplySlot& slot,
                    const std::function<void()>& send, int polls);

}  // namespace admin

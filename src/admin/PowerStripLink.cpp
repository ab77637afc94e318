#include "admin/PowerStripLink.h"

namespace admin {

int32_t AwaitStatus(platform::WindowThread& window, const ReplySlot& slot,
                    const std::function<void()>& send, int polls) {
  slot.setStatus(REPLY_AWAITED);
  send();
  window.PumpUntil([&] { return slot.status() != REPLY_AWAITED; },
                   static_cast<uint32_t>(polls) * REPLY_POLL_INTERVAL_MS);
  return slot.status();
}

}  // namespace admin

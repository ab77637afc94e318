#pragma once
// How the power strip's requests reach the unit and how their answers come
// back: a packet sender, the window thread the waits run their timers on, and
// the slots the dispatcher leaves the file and serial replies in.

#include <functional>
#include <string>

#include "admin/ReplyWait.h"
#include "platform/WindowThread.h"
#include "protocol/PacketSender.h"

namespace admin {

struct PowerStripLink {
  PacketSender& sender;
  platform::WindowThread& window;
  ReplySlot& file;
  ReplySlot& serial;
};

// How an operation that went on without its caller ended: the failure's text
// for the operator, empty when it went through.
using Finished = std::function<void(const std::string& failure)>;

}  // namespace admin

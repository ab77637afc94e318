#pragma once
// A request's wait for the unit's reply, kept as a continuation: the
// dispatcher leaves each reply in a slot and tells whoever listens there, and
// the wait hands the status on in a task of its own, or says that the time ran
// out. Nothing runs the window thread's queue while a reply is awaited.

#include <cstdint>
#include <functional>
#include <map>
#include <string>

#include "platform/WindowThread.h"

namespace admin {

// The status a slot holds while its reply is awaited.
inline constexpr int32_t REPLY_AWAITED = -10;
// The usual bound of a wait: 50 polls of 100 ms, as the unit's answers were
// always looked for.
inline constexpr uint32_t REPLY_POLL_INTERVAL_MS = 100;
inline constexpr uint32_t REPLY_TIMEOUT_MS = 50 * REPLY_POLL_INTERVAL_MS;

// Where the dispatcher leaves the unit's replies to one kind of request (the
// unit's files, its serial port).
class ReplySlot {
 public:
  using ListenerId = uint64_t;

  virtual ~ReplySlot() = default;

  int32_t Status() const { return m_status; }
  // The dispatcher's: the status of a reply that came, told to every listener.
  void SetStatus(int32_t status);
  // A requester's: the status that stands for "no reply yet", told to nobody.
  void Mark(int32_t status) { m_status = status; }
  // What the last reply carried, as a text.
  virtual std::string Text() const = 0;

  ListenerId Listen(std::function<void()> listener);
  void StopListening(ListenerId id);

 private:
  int32_t m_status = REPLY_AWAITED;
  std::map<ListenerId, std::function<void()>> m_listeners;
  ListenerId m_nextListener = 1;
};

class ReplyWait {
 public:
  using OnReply = std::function<void(int32_t status)>;
  using OnTimeOut = std::function<void()>;

  explicit ReplyWait(platform::WindowThread& window) : m_timer(window) {}
  ~ReplyWait() { Cancel(); }
  ReplyWait(const ReplyWait&) = delete;
  ReplyWait& operator=(const ReplyWait&) = delete;

  // Marks slot with mark and runs send. Then onReply gets the first status the
  // dispatcher leaves that differs from the mark, or onTimeOut runs once
  // timeoutMs have passed without one. Either runs as a window-thread task of
  // its own, never inside send or the dispatcher, and neither runs once the
  // wait is cancelled, started anew or destroyed. A throw from send cancels
  // the wait and leaves through Start.
  void Start(ReplySlot& slot, const std::function<void()>& send, uint32_t timeoutMs,
             OnReply onReply, OnTimeOut onTimeOut, int32_t mark = REPLY_AWAITED);
  void Cancel();
  bool IsWaiting() const { return m_timer.IsActive(); }

 private:
  void Stored();
  void StopListening();

  platform::Timer m_timer;
  ReplySlot* m_slot = nullptr;
  ReplySlot::ListenerId m_listener = 0;
  int32_t m_mark = REPLY_AWAITED;
  OnReply m_onReply;
  OnTimeOut m_onTimeOut;
};

}  // namespace admin

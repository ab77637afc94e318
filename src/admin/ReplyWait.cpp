#include "admin/ReplyWait.h"

#include <utility>
#include <vector>

namespace admin {

void ReplySlot::SetStatus(int32_t status) {
  m_status = status;
  // A listener may stop listening, its own entry or another's, while told.
  std::vector<ListenerId> ids;
  for (const auto& [id, listener] : m_listeners) ids.push_back(id);
  for (const ListenerId id : ids) {
    const auto it = m_listeners.find(id);
    if (it == m_listeners.end()) continue;
    const std::function<void()> listener = it->second;
    listener();
  }
}

ReplySlot::ListenerId ReplySlot::Listen(std::function<void()> listener) {
  const ListenerId id = m_nextListener++;
  m_listeners.emplace(id, std::move(listener));
  return id;
}

void ReplySlot::StopListening(ListenerId id) { m_listeners.erase(id); }

void ReplyWait::Start(ReplySlot& slot, const std::function<void()>& send, uint32_t timeoutMs,
                      OnReply onReply, OnTimeOut onTimeOut, int32_t mark) {
  Cancel();
  m_onReply = std::move(onReply);
  m_onTimeOut = std::move(onTimeOut);
  m_mark = mark;
  m_slot = &slot;
  m_listener = slot.Listen([this] { Stored(); });
  slot.Mark(mark);
  m_timer.StartOnce(timeoutMs, [this] {
    StopListening();
    m_onReply = nullptr;
    // Taken out first: the handler may start this wait anew.
    const OnTimeOut timedOut = std::exchange(m_onTimeOut, nullptr);
    timedOut();
  });
  try {
    send();
  } catch (...) {
    Cancel();
    throw;
  }
}

void ReplyWait::Stored() {
  const int32_t status = m_slot->Status();
  if (status == m_mark) return;
  StopListening();
  // Handed on outside the dispatcher, which may still be storing the reply.
  m_timer.StartOnce(0, [this, status] {
    m_onTimeOut = nullptr;
    const OnReply replied = std::exchange(m_onReply, nullptr);
    replied(status);
  });
}

void ReplyWait::Cancel() {
  StopListening();
  m_timer.Stop();
  m_onReply = nullptr;
  m_onTimeOut = nullptr;
}

void ReplyWait::StopListening() {
  if (m_slot) m_slot->StopListening(m_listener);
  m_slot = nullptr;
}

}  // namespace admin

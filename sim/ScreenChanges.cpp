#include "ScreenChanges.h"

namespace sim {

std::optional<ScreenChange> ParseScreenChange(const std::string& word) {
  if (word == "small") return ScreenChange::Mark;
  if (word == "full") return ScreenChange::Whole;
  return std::nullopt;
}

const char* ScreenChangeWord(ScreenChange change) {
  return change == ScreenChange::Mark ? "small" : "full";
}

void ScreenChangeQueue::Push(ScreenChange change) {
  std::lock_guard lock(m_mutex);
  m_changes.push_back(change);
}

std::optional<ScreenChange> ScreenChangeQueue::Next() {
  std::lock_guard lock(m_mutex);
  if (m_changes.empty()) return std::nullopt;
  const ScreenChange change = m_changes.front();
  m_changes.pop_front();
  return change;
}

}  // namespace sim

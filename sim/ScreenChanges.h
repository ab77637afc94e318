#pragma once
// Changes of the target's screen asked for from outside the unit (orb-sim --change-on-stdin),
// so that a benchmark can time how long a change takes to show in the viewer.

#include <deque>
#include <mutex>
#include <optional>
#include <string>

namespace sim {

enum class ScreenChange {
  Mark,   // the marked square in the middle of the screen
  Whole,  // the whole screen
};

// "small" or "full", as a line on standard input says it; nothing for anything else.
std::optional<ScreenChange> ParseScreenChange(const std::string& word);
const char* ScreenChangeWord(ScreenChange change);

// Filled by the thread that reads the requests, emptied by the session's thread.
class ScreenChangeQueue {
 public:
  void Push(ScreenChange change);
  std::optional<ScreenChange> Next();

 private:
  std::mutex m_mutex;
  std::deque<ScreenChange> m_changes;
};

}  // namespace sim

#pragma once
// The current target and the walk through its failover addresses: which slot
// is being tried, whether a walk is under way, and the failover text the
// connect progress dialog shows as it grows. The connect and monitor threads
// step the walk while the window thread reads it, so one lock guards it; no
// call runs anything else under that lock.

#include <atomic>
#include <mutex>
#include <string>

#include "settings/AddressEntry.h"

namespace session {

class FailoverWalk {
 public:
  settings::AddressEntry Target() const;
  void SetTarget(settings::AddressEntry target);
  std::string ConnectionType() const;

  // A fresh walk from the first address; active when there are several.
  void Rewind();
  bool IsActive() const { return m_active.load(); }
  // No further address is tried (login reached, or the operator cancelled).
  void End() { m_active = false; }
  // The operator's stop: the walk ends with this text.
  void Stop(const std::string& text);
  // Selects the next address of a walk under way and returns true (the caller
  // connects again); otherwise ends the walk, noting in the text that every
  // address failed unless a login was reached.
  bool Step(bool loggedIn);

  void AppendText(const std::string& text);
  std::string Text() const;

 private:
  mutable std::mutex m_mutex;
  settings::AddressEntry m_target;
  std::atomic<bool> m_active{false};
};

}  // namespace session

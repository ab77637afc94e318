#pragma once
// The life of one connection as a single state. The connecting, connected and
// logged-in flags the rest of the viewer asks about are read from it, and every
// change passes through Transition, so the trace tells each step in order.

#include <atomic>
#include <cstdint>

namespace session {

enum class ConnectionState : uint8_t { Idle, Connecting, Connected, LoggedIn };

const char* ConnectionStateName(ConnectionState state);

class SessionState {
 public:
  ConnectionState Get() const { return m_state.load(); }
  bool IsConnecting() const { return Get() == ConnectionState::Connecting; }
  // Logged in counts as connected: the link is up in both.
  bool IsConnected() const { return Get() >= ConnectionState::Connected; }
  bool IsLoggedIn() const { return Get() == ConnectionState::LoggedIn; }

  // Moves to next, tracing "old --> new" when the state changes; returns the
  // state it left.
  ConnectionState Transition(ConnectionState next);
  // Moves to next only from expected; false (and no change) from any other state.
  bool TransitionFrom(ConnectionState expected, ConnectionState next);
  // Connected or logged in to idle, in one step: of the threads that race to
  // close a link, exactly one gets true.
  bool LeaveConnected();

 private:
  std::atomic<ConnectionState> m_state{ConnectionState::Idle};
};

}  // namespace session

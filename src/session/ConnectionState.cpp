#include "session/ConnectionState.h"

#include "platform/Trace.h"

namespace session {
namespace {

void TraceChange(ConnectionState from, ConnectionState to) {
  if (from != to) Trace("%s --> %s\n", ConnectionStateName(from), ConnectionStateName(to));
}

}  // namespace

const char* ConnectionStateName(ConnectionState state) {
  switch (state) {
    case ConnectionState::Idle:
      return "Idle";
    case ConnectionState::Connecting:
      return "Connecting";
    case ConnectionState::Connected:
      return "Connected";
    case ConnectionState::LoggedIn:
      return "Logged in";
  }
  return "Unknown";
}

ConnectionState SessionState::Transition(ConnectionState next) {
  const ConnectionState previous = m_state.exchange(next);
  TraceChange(previous, next);
  return previous;
}

bool SessionState::TransitionFrom(ConnectionState expected, ConnectionState next) {
  const ConnectionState from = expected;
  if (!m_state.compare_exchange_strong(expected, next)) return false;
  TraceChange(from, next);
  return true;
}

bool SessionState::LeaveConnected() {
  ConnectionState current = m_state.load();
  while (current >= ConnectionState::Connected)
    if (m_state.compare_exchange_weak(current, ConnectionState::Idle)) {
      TraceChange(current, ConnectionState::Idle);
      return true;
    }
  return false;
}

}  // namespace session

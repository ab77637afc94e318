#pragma once
// The logic of the connect progress dialog: it starts a fresh walk through the
// target's addresses, shows the failover text as it grows, and closes once the
// walk has ended in a login. The dialog itself (a 200 ms timer, a text box and
// one button) belongs to the user interface.

#include <string>

#include "session/Connector.h"
#include "session/Session.h"

namespace session {

inline constexpr unsigned CONNECT_PROGRESS_TICK_MS = 200;

class ConnectProgress {
 public:
  struct Tick {
    // The text box's new content, when the failover text changed.
    bool textChanged = false;
    std::string text;
    // The walk has ended: the button becomes "OK".
    bool walkEnded = false;
    // Logged in: close the dialog and give the main window this title.
    bool close = false;
    std::string title;
  };

  ConnectProgress(Connector& connector, const Session& session)
      : m_connector(connector), m_session(session) {}

  // The dialog opened for the main window's unit selection; throws when that
  // unit cannot be made the current target.
  void Open(int selection, const std::string& selectionText);
  // Every 200 ms.
  Tick OnTimer();
  // The stop button.
  void Stop() { m_connector.StopConnecting(); }

  // Consecutive blank lines are shown as at most one.
  static std::string ForDisplay(std::string text);

 private:
  Connector& m_connector;
  const Session& m_session;
  std::string m_shown;
};

}  // namespace session

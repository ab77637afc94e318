#pragma once
// The monitor thread's news that the link ended, posted to the main window:
// the window thread finishes what the operator sees (the mouse given back,
// the tool bar, the status text, a repaint), since only it may touch the
// desktop.

#include <string>
#include <utility>

#include "platform/WindowThread.h"

namespace session {

class LinkEnded : public platform::MessageBody {
 public:
  LinkEnded(std::string status, bool closedByMonitor)
      : m_status(std::move(status)), m_closedByMonitor(closedByMonitor) {}

  // The main window's status text; empty for none.
  const std::string& Status() const { return m_status; }
  // The monitor thread closed the link, so the operator's half of Disconnect
  // is still to run.
  bool ClosedByMonitor() const { return m_closedByMonitor; }

 private:
  std::string m_status;
  bool m_closedByMonitor;
};

}  // namespace session

#include "session/CallBack.h"

#include <system_error>

#include "platform/Trace.h"

namespace session {

void AwaitCallBack(Session& session, Link& link) {
  try {
    if (!session.IsConnected() || !link.StartCallBack()) {
      Trace("A call-back was announced, but the link is not a modem link.\n");
      return;
    }
  } catch (const std::system_error&) {
    session.Disconnect(false);
    session.ReportFailure("Timed out waiting for call back.\n",
                          "Could not create a thread to wait.\n");
    return;
  }
  // No keep-alive can come while the line is down.
  session.Counters().keepAliveStamp = 0;
}

}  // namespace session

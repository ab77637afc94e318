#pragma once
// The unit announced a call-back (CALL_BACK, window thread): over a modem
// link the line is dropped and the unit's call awaited and answered on the
// connect thread, nothing sent meanwhile; any other link ignores it.

#include "session/Link.h"
#include "session/Session.h"

namespace session {

void AwaitCallBack(Session& session, Link& link);

}  // namespace session

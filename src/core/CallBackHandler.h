#pragma once
// The dispatcher's CALL_BACK goes to the session, which drops the modem line
// and answers the unit's call.

#include "session/CallBack.h"
#include "view/DispatchPorts.h"

namespace core {

class CallBackHandler : public view::AdminHandlers {
 public:
  CallBackHandler(session::Session& session, session::Link& link)
      : m_session(session), m_link(link) {}
  void HandleCallBack(session::PostedPacket& packet) override {
    (void)packet;
    session::AwaitCallBack(m_session, m_link);
  }

 private:
  session::Session& m_session;
  session::Link& m_link;
};

}  // namespace core

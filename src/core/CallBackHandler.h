#pragma once
// The dispatcher's CALL_BACK goes to the session, which drops the modem line
// and answers the unit's call.

#include "session/Orb.h"
#include "view/DispatchPorts.h"

namespace core {

class CallBackHandler : public view::AdminHandlers {
 public:
  explicit CallBackHandler(session::COrb& orb) : m_orb(orb) {}
  void HandleCallBack(session::PostedPacket& packet) override {
    (void)packet;
    m_orb.WaitForCallBack();
  }

 private:
  session::COrb& m_orb;
};

}  // namespace core

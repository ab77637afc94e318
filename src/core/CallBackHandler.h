#pragma once
// The dispatcher's CALL_BACK goes to the session, which drops the modem line
// and answers the unit's call; the connect request goes to the program's
// connect progress dialog, when it has one.

#include <functional>

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
  void ShowConnectProgress() override {
    if (m_connectProgress) m_connectProgress();
  }
  void SetConnectProgress(std::function<void()> show) { m_connectProgress = std::move(show); }

 private:
  session::COrb& m_orb;
  std::function<void()> m_connectProgress;
};

}  // namespace core

#pragma once
// The view geometry's link to the session controller.

#include "platform/WindowThread.h"
#include "session/Orb.h"
#include "view/ViewGeometry.h"

namespace view {

class OrbViewLink : public ViewLink {
 public:
  OrbViewLink(session::COrb& orb, platform::WindowThread& window) : m_orb(orb), m_window(window) {}

  void SendPacket(PacketHeader& header, PayloadPiece piece1 = {}, PayloadPiece piece2 = {},
                  PayloadPiece piece3 = {}) override {
    m_orb.SendPacket(header, piece1, piece2, piece3);
  }
  bool IsConnected() const override { return m_orb.IsConnected(); }
  bool IsLoggedIn() const override { return m_orb.IsLoggedIn(); }
  std::string TargetLocation() const override { return m_orb.CurrentTarget().Location(); }
  void PumpPending() override { m_window.PumpPending(); }

 private:
  session::COrb& m_orb;
  platform::WindowThread& m_window;
};

}  // namespace view

#pragma once
// The one way the layers above the wire protocol send a packet. The session
// controller implements it; the layers below the session hold a reference to
// it, so they can send without knowing the session.

#include "protocol/PacketForming.h"
#include "protocol/PacketHeader.h"

class PacketSender {
 public:
  virtual ~PacketSender() = default;
  // Fills in the header's sizes; throws the failure as text.
  virtual void SendPacket(PacketHeader& header, PayloadPiece piece1 = {}, PayloadPiece piece2 = {},
                          PayloadPiece piece3 = {}) = 0;
};

// Sending: every packet and the keep-alive.

#include "platform/TextError.h"
#include "platform/Trace.h"
#include "protocol/PacketForming.h"
#include "protocol/PacketTypes.h"
#include "session/UnitSession.h"
#include "settings/AddressEntry.h"

namespace session {

void UnitSession::SendPacket(PacketHeader& header, PayloadPiece piece1, PayloadPiece piece2,
                             PayloadPiece piece3) {
  if (!IsConnected() || m_link.IsCallBackInProgress()) return;
  // Nothing but the request to resend goes out while the stream is being
  // found again: the unit must hear it for the markers to come.
  if (m_link.IsResynchronising() && header.type != RESEND_FROM) return;
  // Blocked before the request leaves, so no video at the old size slips in
  // after it; outside the send lock, as the frame buffer has a lock of its own.
  if ((header.type == RESIZE || header.type == ONE_TO_ONE) && m_counters.videoSegmentMode >= 3) {
    Trace("Start ignoring video now. -1\n");
    m_hooks.video->StartBlock();
  }
  const std::unique_lock lock = m_link.LockSend();
  const std::vector<uint8_t> packet = FormPacket(header, m_cipher, piece1, piece2, piece3);
  Trace("type %s  subtype %d  data size %d\n", PacketTypeName(header.type), header.subtype,
        header.DataSize);
  ReportSendErrors([&] {
    if (!IsConnected()) throw TextError("No connection exists.");
    if (!m_link.IsOverModem()) {
      if (m_failover.ConnectionType() != settings::TCP_IP) return;
      if (header.type == MOUSE) {
        m_counters.mouseBytesSent += static_cast<uint32_t>(packet.size());
        m_counters.mousePayloadBytesSent += header.PayloadSize;
        ++m_counters.mousePacketsSent;
      }
    }
    m_link.Write(packet);
  });
}

void UnitSession::SendKeepAlive() {
  if (!IsConnected()) return;
  PacketHeader header(KEEP_ALIVE, static_cast<uint8_t>(m_keepAlivePeriod & 0xFF));
  SendPacket(header);
  m_counters.keepAliveStamp = 0;
}

}  // namespace session

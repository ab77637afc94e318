// Sending: every packet, the keep-alive, and the line speed test.

#include <array>
#include <random>

#include "platform/Clock.h"
#include "platform/Format.h"
#include "platform/SocketErrors.h"
#include "platform/TextError.h"
#include "platform/Trace.h"
#include "protocol/LittleEndian.h"
#include "protocol/PacketTypes.h"
#include "session/LineSpeed.h"
#include "session/Orb.h"

namespace session {

void COrb::SendPacket(PacketHeader& header, PayloadPiece piece1, PayloadPiece piece2,
                      PayloadPiece piece3) {
  if (!IsConnected() || m_callBack) return;
  // Nothing but the request to resend goes out while the stream is being
  // found again: the unit must hear it for the markers to come.
  if (m_resynching && header.type != RESEND_FROM) return;
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
    if (m_modemActive) {
      modem::Modem* modem = m_modemLink.Modem();
      if (!modem || !modem->Line().Send(packet.data(), packet.size()))
        throw TextError("Could not send to the modem.");
      return;
    }
    if (ConnectionType() != settings::TCP_IP) return;
    if (header.type == MOUSE) {
      m_counters.mouseBytesSent += static_cast<uint32_t>(packet.size());
      m_counters.mousePayloadBytesSent += header.PayloadSize;
      ++m_counters.mousePacketsSent;
    }
    if (!m_link.Socket().SendAll(packet.data(), packet.size()))
      throw TextError(Format("error code %d", platform::LastSocketError()));
    Trace("Send on TCP complete\n");
  });
  m_lastSendTime = Now();
}

void COrb::SendKeepAlive() {
  if (!IsConnected()) return;
  PacketHeader header(KEEP_ALIVE, static_cast<uint8_t>(m_keepAlivePeriod & 0xFF));
  SendPacket(header);
  m_counters.keepAliveStamp = 0;
}

void COrb::SendTimingPacket() {
  try {
    std::array<uint8_t, LINE_TEST_PAYLOAD> payload;
    std::independent_bits_engine<std::default_random_engine, 8, unsigned> random(
        std::random_device{}());
    for (uint8_t& byte : payload) byte = static_cast<uint8_t>(random());
    StoreLE32(payload.data(), platform::GetTickCount());
    PacketHeader header(THROUGHPUT_TEST_PACKET, 0);
    SendPacket(header, {payload.data(), payload.size()});
    Trace("Sending THROUGHPUT_TEST_PACKET\n");
  } catch (const TextError& e) {
    throw TextError("There was a problem in COrb::SendTimingPacket()\n" + e.Text());
  }
}

void COrb::HandleTestPacket(const PacketHeader& header, const uint8_t* payload, size_t length) {
  (void)header;
  try {
    // A reply too short to hold the stamp measures nothing.
    if (length < 4) throw TextError("The test packet came back without its time stamp.");
    const int32_t rate = LineRate(LoadLE32(payload), platform::GetTickCount());
    TraceCategory(5, 10, "Baud rate (bits per second): %d  so using %s compression.\n", rate,
                  CompressionFor(rate));
    SendObservedRate(rate);
  } catch (const TextError& e) {
    throw TextError("Error in HandleTestPacket():\n" + e.Text());
  } catch (...) {
    throw TextError("Error in handleTestPacket(): Unknown error.");
  }
}

void COrb::SendObservedRate(int32_t rate) {
  std::array<uint8_t, 4> payload;
  StoreLE32(payload.data(), static_cast<uint32_t>(rate));
  PacketHeader header(THROUGHPUT_OBSERVED, 0);
  SendPacket(header, {payload.data(), payload.size()});
}

}  // namespace session

#pragma once
// A unit played by the test: it accepts one viewer on a loopback port, agrees
// to the viewer's terms and proposes plain ones of its own, then sends
// whatever bytes the test gives it, exactly as given.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "platform/TcpSocket.h"
#include "protocol/PacketForming.h"
#include "protocol/PacketHeader.h"

class ScriptedUnit {
 public:
  static constexpr int WAIT_MS = 5000;

  ScriptedUnit() {
    EXPECT_TRUE(m_listener.Listen("127.0.0.1", 0));
    m_thread = std::thread([this] { Serve(); });
  }
  ~ScriptedUnit() {
    if (m_thread.joinable()) m_thread.join();
  }

  std::string Address() const { return "127.0.0.1:" + std::to_string(m_listener.LocalPort()); }
  // Waits for the negotiation to be over (call once the viewer connected).
  bool Negotiated() {
    if (m_thread.joinable()) m_thread.join();
    return m_negotiated;
  }

  void Send(const std::vector<uint8_t>& bytes) {
    ASSERT_TRUE(m_peer.SendAll(bytes.data(), bytes.size()));
  }
  void Close() {
    m_peer.Shutdown();
    m_peer.Close();
  }
  // Reads framed packets the viewer sent until one of the type arrives.
  bool ReceivePacketOfType(uint8_t type, std::vector<uint8_t>* payload = nullptr) {
    for (;;) {
      std::vector<uint8_t> header = Read(PACKET_HEADER_SIZE);
      if (header.size() < PACKET_HEADER_SIZE) return false;
      const PacketHeader parsed = PacketHeader::Parse(header.data());
      std::vector<uint8_t> rest = Read(parsed.PayloadSize);
      if (rest.size() < parsed.PayloadSize) return false;
      if (parsed.type != type) continue;
      if (payload && rest.size() >= PACKET_CHECKSUM_SIZE)
        payload->assign(rest.begin(), rest.end() - PACKET_CHECKSUM_SIZE);
      return true;
    }
  }

  // A plain packet as the unit would frame it.
  static std::vector<uint8_t> Packet(uint8_t type, const std::vector<uint8_t>& data,
                                     uint8_t subtype = 0) {
    static const PayloadCipher plain;
    PacketHeader header(type, subtype);
    return FormPacket(header, plain, {data.data(), data.size()});
  }

 private:
  void Serve() {
    m_peer = m_listener.Accept(WAIT_MS);
    if (!m_peer.IsOpen()) return;
    // The viewer's request, acknowledged as it stands.
    std::vector<uint8_t> request = ReadNegotiationPacket();
    if (request.empty()) return;
    request[0] = 32;
    if (!m_peer.SendAll(request.data(), request.size())) return;
    // Our own: the "encryption" option (4) asking for NONE (11).
    const std::vector<uint8_t> ours = {31, 1, 4, 0, 4, 1, 0, 11};
    if (!m_peer.SendAll(ours.data(), ours.size())) return;
    const std::vector<uint8_t> answer = ReadNegotiationPacket();
    m_negotiated = !answer.empty() && answer[0] == 32;
  }

  std::vector<uint8_t> ReadNegotiationPacket() {
    std::vector<uint8_t> head = Read(4);
    if (head.size() < 4) return {};
    const std::vector<uint8_t> options = Read(head[2] | head[3] << 8);
    head.insert(head.end(), options.begin(), options.end());
    return head;
  }

  // Exactly size bytes, or fewer when the viewer went away or was silent too long.
  std::vector<uint8_t> Read(size_t size) {
    std::vector<uint8_t> bytes(size);
    size_t got = 0;
    while (got < size) {
      const int n = m_peer.Receive(bytes.data() + got, size - got, WAIT_MS);
      if (n <= 0) break;
      got += static_cast<size_t>(n);
    }
    bytes.resize(got);
    return bytes;
  }

  platform::TcpSocket m_listener;
  platform::TcpSocket m_peer;
  std::thread m_thread;
  bool m_negotiated = false;
};

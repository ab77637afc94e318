#pragma once
// The session's side of the packet reader, recording what it was asked to do.
// Resynchronising empties the ring buffer, as the session does.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "protocol/PacketReader.h"
#include "protocol/RingBuffer.h"

class RecordingReceiveLink : public ReceiveLink {
 public:
  explicit RecordingReceiveLink(RingBuffer& ring) : m_ring(ring) {}

  bool IsConnected() const override { return connected; }
  bool IsSerialLineUp() const override { return serialLineUp; }
  void Resynchronise() override {
    ++resynchronisations;
    m_ring.Clear();
  }
  void SendBadChecksumReport(std::span<const uint8_t> headerStart,
                             std::span<const uint8_t> payload) override {
    report.assign(headerStart.begin(), headerStart.end());
    report.insert(report.end(), payload.begin(), payload.end());
    ++reports;
  }
  void SetFailureTitle(const std::string& title) override { failureTitle = title; }

  bool connected = true;
  bool serialLineUp = false;
  int resynchronisations = 0;
  int reports = 0;
  std::vector<uint8_t> report;
  std::string failureTitle;

 private:
  RingBuffer& m_ring;
};

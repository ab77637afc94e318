#pragma once
// The byte stream a session runs on: a TCP connection, a modem call or a null-modem cable.

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>

#include "Bytes.h"

namespace sim {

using Clock = std::chrono::steady_clock;

class Link {
 public:
  virtual ~Link() = default;

  // Sends every byte or throws std::runtime_error.
  virtual void SendAll(const std::uint8_t* bytes, std::size_t n) = 0;
  void SendAll(const Bytes& bytes) { SendAll(bytes.data(), bytes.size()); }
  // Waits up to `timeoutMs` for input; returns the bytes read (0 when none arrived) and throws
  // std::runtime_error when the peer is gone.
  virtual std::size_t ReadSome(std::uint8_t* into, std::size_t n, int timeoutMs) = 0;
  // Gives the peer up to `lingerMs` to end the link itself, so what we sent last is not lost.
  virtual void Linger(int lingerMs) = 0;

  // Only a modem call can be ended and made again from the unit's side.
  virtual bool CanCallBack() const { return false; }
  // Drops the call, calls the viewer back and returns once the hand-shake on the new call is
  // done; false when the call-back did not get through.
  virtual bool CallBack() { return false; }
};

// Fills `into` completely, or throws std::runtime_error on a closed peer, a passed deadline or
// a stop request.
void ReadExact(Link& link, std::uint8_t* into, std::size_t n, Clock::time_point deadline,
               const std::atomic<bool>& stop);

}  // namespace sim

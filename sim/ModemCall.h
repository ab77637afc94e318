#pragma once
// A call through the modem, as the session sees it: the bytes between the viewer and the unit,
// the "+++" escape back to command mode (a second of silence on both sides), the hang-up from
// either end, and the call-back.

#include <atomic>

#include "Link.h"
#include "Modem.h"
#include "Options.h"

namespace sim {

class ModemCall : public Link {
 public:
  // The modem has just sent CONNECT.
  ModemCall(Modem& modem, const UnitOptions& options, const std::atomic<bool>& stop);

  using Link::SendAll;
  void SendAll(const std::uint8_t* bytes, std::size_t n) override;
  std::size_t ReadSome(std::uint8_t* into, std::size_t n, int timeoutMs) override;
  // Waits for the viewer to hang up, at least long enough for an escape.
  void Linger(int lingerMs) override;
  bool CanCallBack() const override { return true; }
  bool CallBack() override;

  // The unit ends the call: the viewer's modem loses the carrier.
  void HangUp();

 private:
  void Connected();
  // Reads what the line has, holding back what may be an escape.
  void Receive(int timeoutMs);
  // Once the guard time after held-back pluses has passed: three are an escape, which runs
  // (and throws when the viewer hangs up), fewer are data. False while nothing was due.
  bool GuardPassed();
  // Command mode after an escape; true when the viewer went back online.
  bool Escape();
  bool HandShake();

  Modem& m_modem;
  const UnitOptions& m_options;
  const std::atomic<bool>& m_stop;
  bool m_up = true;
  Bytes m_ready;     // received, for the unit to read
  int m_pluses = 0;  // escape characters held back from the unit
  Clock::time_point m_lastData, m_lastPlus;
};

}  // namespace sim

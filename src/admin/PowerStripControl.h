#pragma once
// Drives the power strip through the unit's serial port: opens it with the
// profile's settings, sends the operator's commands piece by piece with a
// pause between pieces, reads what the strip answered, and closes it. Runs on
// the window thread; every wait keeps that thread running and is bounded.

#include <chrono>
#include <functional>
#include <string>
#include <string_view>

#include "admin/PowerStripLink.h"
#include "admin/PowerSwitchProfile.h"

namespace admin {

inline constexpr int OPEN_POLLS = 40;
inline constexpr int WRITE_POLLS = 80;
// Pieces of one command start about this many poll intervals apart.
inline constexpr int PIECE_SPACING_POLLS = 10;
inline constexpr auto REPEAT_GUARD = std::chrono::milliseconds(100);
inline constexpr const char* CONTROL_FAILED = "Could not control power strip.\n";
inline constexpr const char* PAUSING = "Sending command with pauses, standby...";

class PowerStripControl {
 public:
  using StatusLine = std::function<void(const std::string&)>;
  PowerStripControl(const PowerStripLink& link, StatusLine status);

  // Sends SERIAL_OPEN and waits for the unit; throws TextError.
  void Open(const SerialSettings& settings);
  // The operator's choice of a command: false when it came too soon after
  // the last one, or while one is still going out, and was ignored.
  bool Choose(std::string_view value);
  // Sends one command string; throws TextError.
  void Send(std::string_view value);
  // What the strip answered since the last read.
  std::string Read();
  void Close();

 private:
  void Write(const std::string& bytes);

  PowerStripLink m_link;
  StatusLine m_status;
  std::chrono::steady_clock::time_point m_lastChoice{};
  bool m_chosenBefore = false;
  bool m_sending = false;
};

}  // namespace admin

#pragma once
// A power strip on the unit's serial port. The viewer opens the port (SERIAL_OPEN), writes
// command bytes to the strip (SERIAL_WRITE), reads its answers (SERIAL_READ) and closes it
// (SERIAL_CLOSE). The strip echoes what it is sent and answers "OK" to every line a carriage
// return ends. With logging on, each event is a "STRIP ..." line on standard output, a write
// with its bytes in hexadecimal and the milliseconds since the write before it.

#include <chrono>
#include <optional>
#include <string>

#include "Bytes.h"
#include "FileStore.h"
#include "Packet.h"

namespace sim {

inline constexpr std::uint8_t SERIAL_OPEN = 126, SERIAL_CLOSE = 127, SERIAL_WRITE = 128,
                              SERIAL_READ = 129;
inline constexpr const char* POWER_PROFILE_PATH = "/mnt/flash/Quil/Current.PowerSwitch";

class PowerStrip {
 public:
  explicit PowerStrip(bool log) : m_log(log) {}

  static bool IsSerial(std::uint8_t type);
  // The reply to a serial packet from a logged-in viewer, if one is due.
  std::optional<Packet> Handle(const Packet& packet, bool admin);

 private:
  void Say(const std::string& line) const;
  Packet Open(const Packet& packet);
  Packet Write(const Packet& packet);
  Packet Read(const Packet& packet);

  bool m_log;
  bool m_open = false;
  std::optional<std::chrono::steady_clock::time_point> m_lastWrite;
  std::string m_line;    // what came since the last carriage return
  std::string m_answer;  // what the strip said and the viewer has not read
};

// The text of a profile file for --power-profile; throws std::runtime_error.
std::string LoadPowerProfile(const std::string& path);
// Gives the unit an active power strip profile when it holds none yet.
void PreloadPowerProfile(FileStore& files, const std::string& text);

}  // namespace sim

#pragma once
// The MODEMS section of the settings file: port and answer timing, the wait
// for a carrier and for a call-back's ring, the port to fall back on. A key
// that is missing is read as "-" and written back with its default, so the
// file always shows every key.

#include <string>

#include "settings/IniFile.h"

namespace modem {

inline constexpr const char* MODEMS_SECTION = "MODEMS";
inline constexpr int DEFAULT_BAUD = 57600;

struct ModemTimings {
  int responseMain = 1000;
  int responseInterchar = 100;
  int baud = DEFAULT_BAUD;
  int rlsdToggle = 500;
  // The operator's message when COMBaud held a rate that is not accepted;
  // empty otherwise.
  std::string baudWarning;
};

// ResponseTimingMain, ResponseTimingInterchar, COMBaud (checked, and
// Possible-COMBaud: written every time) and RLSDToggleTime; 0 means the default.
ModemTimings ReadModemTimings(settings::IniFile& ini);
// False only when CheckResponses is "FALSE": every answer then counts as given.
bool ReadCheckResponses(settings::IniFile& ini);
// ms allowed from dialling to a carrier.
int ReadWaitForConnectTime(settings::IniFile& ini);
// ms allowed for a call-back to ring; 0 means the default.
int ReadWaitForRingTime(settings::IniFile& ini);
// The port used when the modem database names none.
std::string ReadFallbackCOMPort(settings::IniFile& ini);
// Whether modem connections are offered on the connections page.
bool ReadEnableModems(settings::IniFile& ini);

}  // namespace modem

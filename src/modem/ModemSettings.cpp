#include "modem/ModemSettings.h"

#include <charconv>
#include <string_view>

#include "platform/Trace.h"
#include "settings/LeadingInt.h"

namespace modem {
namespace {

constexpr size_t BUFFER = 200;
constexpr int ACCEPTED_BAUDS[] = {2400,  4800,  9600,   14400,  19200, 38400,
                                  56000, 57600, 115200, 128000, 256000};
constexpr const char* POSSIBLE_BAUDS =
    "110, 300, 600, 1200, 2400, 4800, 9600, 14400, 19200, 38400, 56000, 57600, 115200, 128000, "
    "256000";

// The key's value; a missing key gets its default written back.
std::string ReadKey(settings::IniFile& ini, const char* key, const char* defaultValue) {
  std::string value = ini.Read(MODEMS_SECTION, key, "-", BUFFER);
  if (value == "-") {
    ini.Write(MODEMS_SECTION, key, defaultValue);
    value = defaultValue;
  }
  return value;
}

int ReadNumber(settings::IniFile& ini, const char* key, int defaultValue) {
  const std::string text = ReadKey(ini, key, std::to_string(defaultValue).c_str());
  const int value = settings::LeadingInt(text);
  return value == 0 ? defaultValue : value;
}

}  // namespace

ModemTimings ReadModemTimings(settings::IniFile& ini) {
  Trace("Modem::Modem()\n");
  ModemTimings timings;
  timings.responseMain = ReadNumber(ini, "ResponseTimingMain", 1000);
  timings.responseInterchar = ReadNumber(ini, "ResponseTimingInterchar", 100);
  const std::string baud = ReadKey(ini, "COMBaud", "57600");
  ini.Write(MODEMS_SECTION, "Possible-COMBaud:", POSSIBLE_BAUDS);
  int rate = 0;
  const auto [end, error] = std::from_chars(baud.data(), baud.data() + baud.size(), rate);
  bool accepted = error == std::errc() && end == baud.data() + baud.size();
  if (accepted) {
    accepted = false;
    for (int candidate : ACCEPTED_BAUDS) accepted = accepted || candidate == rate;
  }
  if (accepted) {
    timings.baud = rate;
  } else {
    timings.baudWarning = "The 'COMBaud=' line in your .INI file has an invalid value: " + baud +
                          "\nBaud rate is being set to 57600.";
    ini.Write(MODEMS_SECTION, "COMBaud", "57600");
  }
  timings.rlsdToggle = ReadNumber(ini, "RLSDToggleTime", 500);
  Trace(
      "ResponseTimingMain = %d\nResponseTimingInterchar = %d\nCOMBaud = %d\nRLSDToggleTime = %d\n",
      timings.responseMain, timings.responseInterchar, timings.baud, timings.rlsdToggle);
  return timings;
}

bool ReadCheckResponses(settings::IniFile& ini) {
  return ReadKey(ini, "CheckResponses", "TRUE") != "FALSE";
}

int ReadWaitForConnectTime(settings::IniFile& ini) {
  return settings::LeadingInt(ReadKey(ini, "WaitForConnectTime", "80000"));
}

int ReadWaitForRingTime(settings::IniFile& ini) {
  return ReadNumber(ini, "WaitForRingTime", 50000);
}

std::string ReadFallbackCOMPort(settings::IniFile& ini) {
  return ReadKey(ini, "FallbackCOMPort", "COM3");
}

bool ReadEnableModems(settings::IniFile& ini) {
  const std::string value = ReadKey(ini, "EnableModems", "F");
  return !value.empty() && (value[0] == 'T' || value[0] == 't');
}

}  // namespace modem

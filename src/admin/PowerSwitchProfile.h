#pragma once
// A power strip profile (a *.PowerSwitch text): the serial settings the unit
// opens the strip's port with and the named commands with the bytes to send.
// The same text is kept in local files and as the unit's active copy.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace admin {

inline constexpr const char* ACTIVE_PROFILE_PATH = "/mnt/flash/Quil/Current.PowerSwitch";
inline constexpr const char* PROFILE_EXTENSION = ".PowerSwitch";
inline constexpr const char* PROFILE_FILTER =
    "Switch Files (*.PowerSwitch)|*.PowerSwitch|All Files (*.*)|*.*||";
inline constexpr const char* PROFILE_INSTRUCTIONS =
    "Instructions\r\nEnter command names on the left and command strings on the right, "
    "separated by a comma.  Any line without a comma is treated as a comment.\r\n\r\n"
    "Non-printing characters may be placed in the command strings (not the names) using "
    "\\xNN where NN is a hex number.  Use \\\\ to enter \\.  The following shorthand codes "
    "are also allowed:\r\n  \\b = backspace\r\n  \\r = carriage return\r\n  \\n = new "
    "line\r\n  \\t = tab\r\n";
inline constexpr const char* RESERVED_NAMES =
    "~BaudRate~DataBits~StopBits~Parity~ReadDelay~FlowControl~Name~Port~UseRTSCTS~";
inline constexpr size_t MAX_COMMANDS = 100;
inline constexpr size_t MAX_PIECES = 50;
// The most bytes one SERIAL_WRITE carries.
inline constexpr size_t MAX_WRITE_BYTES = 120;
inline constexpr size_t MAX_PROFILE_CHARS = 64000;

inline constexpr const char* TOO_MANY_COMMANDS =
    "Warning: Too many commands in file, some were lost.";
inline constexpr const char* FIELDS_WRONG = "Required fields missing, misspelled or duplicated.";

struct ProfileEntry {
  std::string name;
  std::string value;
};

// Every line holding a comma, split at its first comma; a CR before the line
// end is not part of the value.
std::vector<ProfileEntry> ProfileEntries(std::string_view text);
bool IsSettingName(std::string_view name);
// The value of the first entry called name.
std::optional<std::string> ProfileValue(std::string_view text, std::string_view name);

// True when each of the nine setting names occurs exactly once.
bool HasRequiredFields(std::string_view text);
// Lines naming each setting that is missing or repeated, for the top of the
// text; empty when the check passes.
std::string RequiredFieldNotes(std::string_view text);

struct ProfileCommands {
  std::vector<ProfileEntry> commands;  // at most MAX_COMMANDS, in the text's order
  bool lost = false;                   // the text held more
};
ProfileCommands CommandsOf(std::string_view text);
// The command called name, or nullptr.
const ProfileEntry* FindCommand(const ProfileCommands& commands, std::string_view name);

// The bytes a command string stands for: \xNN, \\, \b, \r, \n and \t are
// replaced; any other backslash stays as it is. Throws TextError for a \x
// without two hexadecimal digits.
std::string Unescape(std::string_view value);
// The command string cut at its backquotes, each piece unescaped; throws
// TextError when it holds more than MAX_PIECES pieces.
std::vector<std::string> CommandPieces(std::string_view value);

struct SerialSettings {
  uint32_t baudRate = 0;
  uint32_t readTimeoutMs = 500;
  uint8_t port = 0;
  uint8_t parity = 0;  // 0 none, 1 odd, 2 even
  uint8_t dataBits = 8;
  uint8_t flowControl = 0;
  uint8_t stopBits = 1;
  uint8_t useRtsCts = 0;
};
// Throws TextError with the text naming the first bad setting.
SerialSettings SerialSettingsOf(std::string_view text);
// The 16 bytes of SERIAL_OPEN.
std::vector<uint8_t> SerialOpenPayload(const SerialSettings& settings);

// Local files; both throw TextError ("Write failed." for a failed write).
std::string ReadProfileFile(const std::string& path);
void WriteProfileFile(const std::string& path, std::string_view text);

}  // namespace admin

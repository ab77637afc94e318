#pragma once
// The table of a KVM switch's ports in front of the unit: for each port its
// number, the computer's name and the keys that select it. One text format
// travels to and from the unit (LF line ends) and is kept in files (CR LF);
// a text is checked line by line before it replaces the table, so a table
// with a fault never reaches the unit.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "protocol/PacketHeader.h"
#include "protocol/PacketSender.h"

namespace admin {

inline constexpr int SWITCH_TYPE_FIRST_MODEL = 200;
inline constexpr int SWITCH_TYPE_SECOND_MODEL = 201;
inline constexpr int SWITCH_TYPE_STANDALONE = 202;
inline constexpr int SWITCH_TYPE_CUSTOM = 203;
inline constexpr int SWITCH_TYPE_THIRD_MODEL = 204;
inline constexpr int MAX_SWITCH_PORTS = 9999;
inline constexpr size_t MAX_COMPUTER_NAME = 32;

struct SwitchRow {
  // Empty for a row without a port number (written as "readonly").
  std::string port;
  std::string name;
  std::string keyCodes;
  bool operator==(const SwitchRow&) const = default;
};

// The headings the problems of a table are shown under: one the unit sent or
// that is about to go, and one read from a file.
inline constexpr const char* PATTERN_PROBLEMS =
    "The following problems were found with the pattern:\n\n";
inline constexpr const char* KEYSTROKE_PROBLEMS =
    "The following problems were found in the keystroke fields:\n\n";

// The switch-model names come from the branding read at start-up.
using SwitchModelNames = std::array<std::string, 3>;

class SwitchSettings {
 public:
  explicit SwitchSettings(SwitchModelNames models);

  // Checks text and, when it is good, makes it the table. Returns the
  // problems found, empty when none; a text with problems leaves the table as
  // it was. Key-code warnings alone are no problem (see Warnings()).
  std::string LoadGridFromString(const std::string& text, const std::string& sourceName);
  // The table as text, with LF line ends when asked, CR LF otherwise.
  std::string TableToString(bool useLF) const;

  // Reads a file as stored and loads it; throws "Could not open file.".
  std::string ReadInFile(const std::string& fileName);
  // Writes the table with CR LF line ends, replacing the file.
  void WriteOutFile(const std::string& fileName) const;

  // 1 to 9,999; rows are added or removed at the end.
  void SetPortCount(int count);

  int Type() const { return m_type; }
  // The type's own name, as a table the viewer writes carries it: a model's
  // name from the branding, "standalone" or "custom". A third model's table
  // keeps its type line as read: the branding may spell the first model's
  // name so that it also matches the third, and writing it would change the
  // table's model.
  std::string TypeName() const;
  // The same switch in the unit's eyes, however either was spelt: type, port
  // count, and each port's number, computer name and key codes.
  bool SameTable(const SwitchSettings& other) const;
  const std::vector<SwitchRow>& Rows() const { return m_rows; }
  // The key-code warnings of the last text loaded.
  const std::string& Warnings() const { return m_warnings; }

 private:
  struct Parsed;
  std::string Validate(const std::string& text, Parsed& parsed) const;
  int TypeOf(const std::string& line) const;

  SwitchModelNames m_models;
  int m_type = SWITCH_TYPE_CUSTOM;
  // The type line as it was read.
  std::string m_typeName = "custom";
  std::vector<SwitchRow> m_rows;
  std::string m_warnings;
};

// A table as text, from its type line and rows: what TableToString writes, for
// an editor that holds the rows itself.
std::string SwitchTableText(const std::string& typeName, const std::vector<SwitchRow>& rows,
                            bool useLF);

// The table text a SWITCH_SETTINGS packet carries (up to its zero).
std::string SwitchSettingsText(const PacketHeader& header, const uint8_t* payload, size_t length);
void RequestSwitchSettings(PacketSender& sender);
// Sends the table with LF line ends and its terminating zero, subtype 0.
void SendSwitchSettings(PacketSender& sender, const SwitchSettings& table);

}  // namespace admin

#pragma once
// The unit's switch table: the KVM switch's ports, each with the computer's name and the keys
// that select it. It travels in SWITCH_SETTINGS as text with LF line ends and a terminating
// zero: line 1 empty, line 2 the switch type, lines 3 to 5 empty, then one line per port,
// "`<port>`<name>`<key codes>". Files hold the same text with CR LF line ends.

#include <string>

#include "Bytes.h"

namespace sim {

// "custom", three ports.
std::string DefaultSwitchTable();

// The table in a file, with its CR LF line ends turned into LF. Throws std::runtime_error when
// it cannot be read or is not a table.
std::string LoadSwitchTable(const std::string& path);

// Throws std::runtime_error naming the line when the text is not a table as it travels: every
// line ends with LF (no CR anywhere), a switch type among lines 1 to 5, and from line 6 on at
// least one port line, each with its three backquotes.
void CheckSwitchTable(const std::string& text);

// The SWITCH_SETTINGS payload: the text and its terminating zero.
Bytes SwitchTablePayload(const std::string& text);

// The text of a payload an administrator sent, checked as above. Throws std::runtime_error.
std::string SwitchTableFromPayload(const Bytes& payload);

}  // namespace sim

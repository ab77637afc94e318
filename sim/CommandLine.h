#pragma once
// The orb-sim command line.

#include <string>
#include <vector>

#include "Options.h"

namespace sim {

struct CommandLine {
  UnitOptions options;
  bool help = false;
  bool logKeys = false;
  bool logMouse = false;
  bool logCommands = false;
  bool changeOnStdin = false;
};

// Throws std::runtime_error naming the flag at fault.
CommandLine ParseCommandLine(const std::vector<std::string>& args);
std::string HelpText();

}  // namespace sim

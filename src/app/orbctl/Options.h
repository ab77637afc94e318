#pragma once
// The orbctl command line.

#include <optional>
#include <string>
#include <vector>

#include "platform/Desktop.h"

namespace orbctl {

struct Options {
  std::string ini = "./Remote.ini";
  std::optional<std::string> connect;
  std::optional<std::string> user;
  std::optional<std::string> password;
  platform::Size size{1024, 768};
  int timeoutMs = 15000;
  bool help = false;
  bool version = false;
  std::string command;
  std::vector<std::string> arguments;
};

// Throws TextError naming the option at fault.
Options ParseOptions(const std::vector<std::string>& args);
std::string HelpText();

}  // namespace orbctl

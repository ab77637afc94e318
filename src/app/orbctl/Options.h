#pragma once
// The orbctl command line.

#include <optional>
#include <string>
#include <vector>

#include "platform/Desktop.h"
#include "platform/TextError.h"

namespace orbctl {

// Bad usage or bad input, found before anything was sent; printed as it
// stands, and orbctl exits with EXIT_USAGE.
class UsageError : public TextError {
 public:
  using TextError::TextError;
};

inline constexpr int EXIT_DONE = 0;
inline constexpr int EXIT_FAILED = 1;
inline constexpr int EXIT_USAGE = 2;

struct Options {
  std::string ini = "./Remote.ini";
  std::optional<std::string> connect;
  std::optional<std::string> user;
  // --password as given; see GivenPassword for where else it may come from.
  std::optional<std::string> password;
  std::optional<std::string> passwordFile;
  platform::Size size{1024, 768};
  int timeoutMs = 15000;
  bool help = false;
  bool version = false;
  std::string command;
  std::vector<std::string> arguments;
};

// Throws UsageError naming the option at fault.
Options ParseOptions(const std::vector<std::string>& args);
std::string HelpText();
// A command's own help (a subcommand's, when one is named first) when its
// arguments ask for it with --help or -h; nothing for an unknown command.
std::optional<std::string> CommandHelpText(const std::string& command,
                                           const std::vector<std::string>& arguments);

}  // namespace orbctl

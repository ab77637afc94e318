#include "VerbArguments.h"

#include <algorithm>

#include "Options.h"

namespace orbctl {

void ParseVerbArguments(CLI::App& verb, const std::vector<std::string>& arguments) {
  // CLI11 takes the arguments last first.
  std::vector<std::string> reversed(arguments.rbegin(), arguments.rend());
  try {
    verb.parse(reversed);
  } catch (const CLI::ParseError& e) {
    throw UsageError(verb.get_name() + ": " + e.what() + " (see --help).");
  }
}

}  // namespace orbctl

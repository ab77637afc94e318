#pragma once
// The arguments after a verb, read by CLI11 against the verb's own options;
// any fault of usage becomes a UsageError naming the verb.

#include <CLI/CLI.hpp>
#include <string>
#include <vector>

namespace orbctl {

void ParseVerbArguments(CLI::App& verb, const std::vector<std::string>& arguments);

}  // namespace orbctl

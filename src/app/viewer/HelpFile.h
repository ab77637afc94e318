#pragma once
// Where the operator's manual is: installed beside the program's share
// directory, or, run from the build tree, the source tree's README.

#include <string>

namespace viewer {

// Empty when neither exists.
std::string FindHelpFile(const std::string& programDirectory);

}  // namespace viewer

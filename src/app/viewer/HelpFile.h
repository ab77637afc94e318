#pragma once
// Where the operator's manual is: where the install puts it, found from the
// program's own folder (<prefix>/share/doc/tessaline-viewer/README.md beside
// <prefix>/bin), or, run from the build tree, the source tree's README.

#include <string>

namespace viewer {

// Empty when neither exists.
std::string FindHelpFile(const std::string& programDirectory);

}  // namespace viewer

#pragma once
// orbctl modems: the modems (and cables) of modems.ini beside the settings
// file, one line each: the model, a tab, the port it is attached to.

#include <ostream>

#include "Options.h"

namespace orbctl {

void ListModems(const Options& options, std::ostream& out);

}  // namespace orbctl

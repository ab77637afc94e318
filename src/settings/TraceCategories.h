#pragma once
// The named ranges of trace category ids every subsystem traces under, and the
// few trace texts shared between subsystems.

#include <string>
#include <string_view>

#include "settings/TraceLog.h"

namespace settings {

struct TraceCategoryRange {
  int firstId;
  int lastId;  // -1: the first id alone
  std::string_view name;
};

// Registers the 56 categories, in their fixed order (the order shows in the
// PossibleCategories key).
void RegisterAllCategories(TraceLog& log);

// The three lines that open every log and point the operator at the settings.
void TraceSettingsBanner();

// Stands in for a secret in a trace line (the user list traces each account's
// password): never the secret itself, nor its length.
std::string MaskedSecret(std::string_view secret);

}  // namespace settings

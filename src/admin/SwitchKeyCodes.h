#pragma once
// The key codes of one switch port: the tokens the unit types to select the
// port, checked against the key names it knows and put in their one form.

#include <string>

namespace admin {

struct NormalisedKeyCodes {
  std::string text;
  // Warnings and removed tokens, one line each.
  std::string details;
  // A token was not a key name and was removed.
  bool invalid = false;
};

// Old spellings become the current ones with a warning (ctrl, shift, alt,
// return); tokens that name no key are removed and make the line invalid;
// blanks are collapsed and trimmed.
NormalisedKeyCodes NormaliseKeyCodes(const std::string& codes);

// " NAME NAME-UP NAME-DN " for every key name, upper-cased.
const std::string& ValidKeyTokens();

}  // namespace admin

#pragma once
// The quick way to a unit: an address typed by the operator becomes (or finds)
// an address-book entry and the current selection, so the next start knows it.

#include <string>

#include "settings/AddressBook.h"
#include "settings/IniFile.h"

namespace settings {

// True while the book holds nothing but the entry every first start writes:
// the operator has not told the viewer of any unit yet.
bool HoldsOnlyFirstRunEntry(const AddressBook& book);

// Finds the entry named by the address or reaching it first, or adds a TCP/IP
// entry named after it, selects it and saves the book. Returns the entry's
// index. An address that is empty or would not survive the file is refused
// with a text for the operator.
int RememberUnit(IniFile& ini, const std::string& address);

}  // namespace settings

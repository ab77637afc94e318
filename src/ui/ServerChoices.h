#pragma once
// What the tool bar's boxes offer: the address book's units, and the servers
// a unit's Servers text names for the single view and the four quadrants.

#include <string>
#include <vector>

#include "settings/AddressBook.h"

class QComboBox;

namespace ui {

// Each positive number of the text once, in the order given; "000" and
// "-01" name no server.
std::vector<int> ServersOf(const std::string& serversText);

// The box lists "<No Selection>" (server 0), then the servers, showing `current`.
void FillServerBox(QComboBox& box, const std::vector<int>& servers, int current);
// The box lists the book's locations, showing its current selection.
void FillTargetBox(QComboBox& box, const settings::AddressBook& book);

}  // namespace ui

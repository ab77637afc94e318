#pragma once
// The editing rules of the connections page, which edits its own copy of the
// address book and writes it back on Apply.

#include <string>

#include "settings/AddressBook.h"
#include "settings/EditError.h"

namespace settings {

// Longest location name: the current selection's name is read back from
// CURRSELTEXT with an 80-character buffer.
inline constexpr size_t MAX_LOCATION_NAME = 79;

// Inserts a TCP/IP entry with no address yet; returns its index. The name
// loses surrounding blanks; a name that could not be found again in the file
// (empty, too long, starting with '-', holding a bracket or a line break, in
// quotes) is refused.
int AddLocation(AddressBook& book, const std::string& name);
// Refused while it is the only entry; afterwards the first entry is selected.
void DeleteLocation(AddressBook& book, int index);
// Returns the entry's new index; the name is checked as AddLocation checks it.
int RenameLocation(AddressBook& book, int index, const std::string& name);
// Appends a failover address to fill in; returns whether another may follow.
bool AddFailoverAddress(AddressEntry& entry);
bool CanAddFailoverAddress(const AddressEntry& entry);
// Replaces address slot index; the entry's own fields keep mirroring slot 0.
// An address holding a line break is refused: it would break the file.
void EditAddressSlot(AddressEntry& entry, int index, const AddressSlot& value);
// Refused while it is the only address; later slots move up.
void RemoveAddressSlot(AddressEntry& entry, int index);
// The "Pulse/Tone" column of the address list.
const char* PulseToneText(const AddressSlot& slot);
// Saves the book with the selection.
void ApplyConnections(AddressBook& book, IniFile& ini);

}  // namespace settings

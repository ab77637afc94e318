#pragma once
// The editing rules of the connections page, which edits its own copy of the
// address book and writes it back on Apply.

#include <string>

#include "platform/TextError.h"
#include "settings/AddrBook.h"

namespace settings {

// A refused or failed edit: the text is the message box's title, Detail() what
// the details pane shows (empty when there is nothing more to say).
class EditError : public TextError {
 public:
  EditError(std::string title, std::string detail)
      : TextError(std::move(title)), m_detail(std::move(detail)) {}
  const std::string& Detail() const { return m_detail; }

 private:
  std::string m_detail;
};

// Inserts a TCP/IP entry with no address yet; returns its index.
int AddLocation(CAddrBook& book, const std::string& name);
// Refused while it is the only entry; afterwards the first entry is selected.
void DeleteLocation(CAddrBook& book, int index);
// Returns the entry's new index.
int RenameLocation(CAddrBook& book, int index, const std::string& name);
// Appends a failover address to fill in; returns whether another may follow.
bool AddFailoverAddress(CAddress& entry);
bool CanAddFailoverAddress(const CAddress& entry);
// The "Pulse/Tone" column of the address list.
const char* PulseToneText(const AddressSlot& slot);
// Saves the book with the selection.
void ApplyConnections(CAddrBook& book, IniFile& ini);

}  // namespace settings

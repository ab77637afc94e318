#include "settings/QuickConnect.h"

#include "platform/TextError.h"
#include "settings/ConnectionsEditing.h"

namespace settings {
namespace {

std::string Trimmed(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace

bool HoldsOnlyFirstRunEntry(const AddressBook& book) {
  if (book.Count() != 1) return book.Count() == 0;
  const AddressEntry first = DefaultTarget();
  const AddressEntry& only = book.Item(0);
  return only.Location() == first.Location() &&
         only.Addresses().Address() == first.Addresses().Address();
}

int RememberUnit(IniFile& ini, const std::string& typed) {
  const std::string address = Trimmed(typed);
  if (address.empty()) throw TextError("Type the unit's address, such as 10.0.0.5 or unit:5678.");
  if (address.find_first_of("\r\n[]") != std::string::npos)
    throw TextError("An address holds no line breaks or brackets.");
  AddressBook book;
  book.ReadFromINI(ini);
  int index = -1;
  for (int i = 0; index < 0 && i < book.Count(); ++i)
    if (book.Item(i).Location() == address) index = i;
  for (int i = 0; index < 0 && i < book.Count(); ++i)
    if (book.Item(i).Addresses().Address() == address) index = i;
  if (index < 0) {
    index = AddLocation(book, address);
    EditAddressSlot(book.Item(index), 0, AddressSlot{TCP_IP, address, false});
  }
  const std::string location = book.Item(index).Location();
  book.SetCurrentSelection(index);
  ApplyConnections(book, ini);
  return book.GetIndex(location);
}

}  // namespace settings

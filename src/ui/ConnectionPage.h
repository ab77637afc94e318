#pragma once
// The CONNECTION page: the address book's locations, each with its colour
// rendering and its addresses (the first one and the failover ones), each
// address reached over TCP/IP or an installed modem. The page edits its own
// copy of the book and saves it, with the selected location, on Apply.

#include <string>
#include <vector>

#include "settings/AddressBook.h"
#include "settings/IniFile.h"
#include "ui/PreferencesPage.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTableWidget;

namespace ui {

class ConnectionPage : public PreferencesPage {
 public:
  // connectionTypes: the installed modems' names, offered after "TCP/IP".
  // Throws the book's read failure as text.
  ConnectionPage(platform::OperatorDialogs& dialogs, settings::IniFile& ini,
                 const std::vector<std::string>& connectionTypes);

  QString Name() const override { return "CONNECTION"; }
  void Apply() override;

  const settings::AddressBook& Book() const { return m_book; }
  // The controls, for the operator and for tests.
  QListWidget& Locations() { return *m_locations; }
  QComboBox& Rendering() { return *m_rendering; }
  QTableWidget& Addresses() { return *m_addresses; }
  QLineEdit& AddressEdit() { return *m_address; }
  QComboBox& UsingChoice() { return *m_using; }
  QCheckBox& PulseDial() { return *m_pulse; }
  QPushButton& AddLocationButton() { return *m_addLocation; }
  QPushButton& RenameLocationButton() { return *m_renameLocation; }
  QPushButton& DeleteLocationButton() { return *m_deleteLocation; }
  QPushButton& AddFailoverButton() { return *m_addFailover; }
  QPushButton& RemoveAddressButton() { return *m_removeAddress; }

 private:
  QWidget* BuildLocations();
  QWidget* BuildEntry();
  void OnAddLocation();
  void OnRenameLocation();
  void OnDeleteLocation();
  void OnSelectLocation(int row);
  void OnRenderingChosen();
  void OnAddFailover();
  void OnRemoveAddress();
  void OnSelectAddress();
  void OnAddressEdited();
  // Shows the book, with the location at index (and its address slot) selected.
  void ShowBook(int location, int slot = 0);
  void ShowEntry(int slot);
  void ShowSlot(int slot);
  settings::AddressEntry* SelectedEntry();
  int SelectedSlot() const;
  void Edited();

  settings::IniFile& m_ini;
  settings::AddressBook m_book;
  std::vector<std::string> m_connectionTypes;
  // Set while the controls are filled from the book, so that filling them is
  // not taken for the operator's edit.
  bool m_showing = false;

  QListWidget* m_locations = nullptr;
  QComboBox* m_rendering = nullptr;
  QTableWidget* m_addresses = nullptr;
  QLineEdit* m_address = nullptr;
  QComboBox* m_using = nullptr;
  QCheckBox* m_pulse = nullptr;
  QPushButton* m_addLocation = nullptr;
  QPushButton* m_renameLocation = nullptr;
  QPushButton* m_deleteLocation = nullptr;
  QPushButton* m_addFailover = nullptr;
  QPushButton* m_removeAddress = nullptr;
};

}  // namespace ui

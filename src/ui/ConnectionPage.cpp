#include "ui/ConnectionPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "settings/ConnectionsEditing.h"
#include "video/ColorModes.h"

namespace ui {
namespace {

enum AddressColumn { COLUMN_ADDRESS, COLUMN_USING, COLUMN_PULSE_TONE, COLUMN_COUNT };

QString Q(const std::string& text) { return QString::fromStdString(text); }

// Selects the text, adding it first when the list does not hold it (an entry
// naming a modem that is no longer installed keeps its modem).
void ShowChoice(QComboBox& combo, const QString& text) {
  int index = combo.findText(text);
  if (index < 0) {
    combo.addItem(text);
    index = combo.count() - 1;
  }
  combo.setCurrentIndex(index);
}

}  // namespace

ConnectionPage::ConnectionPage(platform::OperatorDialogs& dialogs, settings::IniFile& ini,
                               const std::vector<std::string>& connectionTypes)
    : PreferencesPage(dialogs), m_ini(ini) {
  m_connectionTypes.push_back(settings::TCP_IP);
  m_connectionTypes.insert(m_connectionTypes.end(), connectionTypes.begin(), connectionTypes.end());
  m_book.ReadFromINI(ini);

  auto* layout = new QHBoxLayout(this);
  layout->addWidget(BuildLocations());
  layout->addWidget(BuildEntry(), 1);
  const int selection = m_book.CurrentSelection();
  ShowBook(selection >= 0 && selection < m_book.Count() ? selection : 0);
}

QWidget* ConnectionPage::BuildLocations() {
  auto* box = new QWidget(this);
  auto* layout = new QVBoxLayout(box);
  layout->addWidget(new QLabel("Locations:", box));
  m_locations = new QListWidget(box);
  layout->addWidget(m_locations);
  m_addLocation = new QPushButton("&Add...", box);
  m_renameLocation = new QPushButton("Re&name...", box);
  m_deleteLocation = new QPushButton("&Delete", box);
  for (QPushButton* button : {m_addLocation, m_renameLocation, m_deleteLocation})
    layout->addWidget(button);
  connect(m_locations, &QListWidget::currentRowChanged, this,
          [this](int row) { OnSelectLocation(row); });
  connect(m_addLocation, &QPushButton::clicked, this, [this] { OnAddLocation(); });
  connect(m_renameLocation, &QPushButton::clicked, this, [this] { OnRenameLocation(); });
  connect(m_deleteLocation, &QPushButton::clicked, this, [this] { OnDeleteLocation(); });
  return box;
}

QWidget* ConnectionPage::BuildEntry() {
  auto* box = new QWidget(this);
  auto* layout = new QVBoxLayout(box);
  auto* rendering = new QFormLayout;
  m_rendering = new QComboBox(box);
  for (const video::RenderingMode& mode : video::RenderingModes())
    m_rendering->addItem(QString::fromUtf8(mode.name.data(), static_cast<int>(mode.name.size())));
  rendering->addRow("Color rendering:", m_rendering);
  layout->addLayout(rendering);

  layout->addWidget(new QLabel("Addresses, tried in this order:", box));
  m_addresses = new QTableWidget(0, COLUMN_COUNT, box);
  m_addresses->setHorizontalHeaderLabels({"Address", "Using", "Pulse/Tone"});
  m_addresses->setSelectionBehavior(QAbstractItemView::SelectRows);
  m_addresses->setSelectionMode(QAbstractItemView::SingleSelection);
  m_addresses->setEditTriggers(QAbstractItemView::NoEditTriggers);
  m_addresses->horizontalHeader()->setSectionResizeMode(COLUMN_ADDRESS, QHeaderView::Stretch);
  m_addresses->verticalHeader()->hide();
  // Room for the longest usual address, a host name with a port, beside the
  // other two columns.
  const int addressWidth =
      m_addresses->fontMetrics().horizontalAdvance("unit-name.example.net:65535");
  m_addresses->setMinimumWidth(addressWidth +
                               m_addresses->horizontalHeader()->sectionSize(COLUMN_USING) +
                               m_addresses->horizontalHeader()->sectionSize(COLUMN_PULSE_TONE) +
                               2 * m_addresses->frameWidth() + 24);
  layout->addWidget(m_addresses);

  auto* slot = new QFormLayout;
  m_address = new QLineEdit(box);
  m_using = new QComboBox(box);
  for (const std::string& type : m_connectionTypes) m_using->addItem(Q(type));
  m_pulse = new QCheckBox("Pulse dialling", box);
  slot->addRow("Address:", m_address);
  slot->addRow("Using:", m_using);
  slot->addRow("", m_pulse);
  layout->addLayout(slot);

  auto* buttons = new QHBoxLayout;
  m_addFailover = new QPushButton("Add &Failover Address", box);
  m_removeAddress = new QPushButton("&Remove Address", box);
  buttons->addWidget(m_addFailover);
  buttons->addWidget(m_removeAddress);
  buttons->addStretch();
  layout->addLayout(buttons);

  connect(m_rendering, &QComboBox::currentIndexChanged, this, [this] { OnRenderingChosen(); });
  connect(m_addresses, &QTableWidget::itemSelectionChanged, this, [this] { OnSelectAddress(); });
  connect(m_address, &QLineEdit::textChanged, this, [this] { OnAddressEdited(); });
  connect(m_using, &QComboBox::currentIndexChanged, this, [this] { OnAddressEdited(); });
  connect(m_pulse, &QCheckBox::toggled, this, [this] { OnAddressEdited(); });
  connect(m_addFailover, &QPushButton::clicked, this, [this] { OnAddFailover(); });
  connect(m_removeAddress, &QPushButton::clicked, this, [this] { OnRemoveAddress(); });
  return box;
}

void ConnectionPage::Apply() {
  const int selection = m_book.CurrentSelection();
  settings::ApplyConnections(m_book, m_ini);
  // The book is read back from the file; show what it now holds.
  ShowBook(selection >= 0 && selection < m_book.Count() ? selection : 0);
}

void ConnectionPage::Edited() {
  if (!m_showing) SetModified(true);
}

settings::AddressEntry* ConnectionPage::SelectedEntry() {
  const int row = m_locations->currentRow();
  return row >= 0 && row < m_book.Count() ? &m_book.Item(row) : nullptr;
}

int ConnectionPage::SelectedSlot() const {
  const int row = m_addresses->currentRow();
  return row < 0 ? 0 : row;
}

void ConnectionPage::ShowBook(int location, int slot) {
  m_showing = true;
  m_locations->clear();
  for (int i = 0; i < m_book.Count(); ++i) m_locations->addItem(Q(m_book.Item(i).Location()));
  if (location >= 0 && location < m_book.Count()) {
    m_book.SetCurrentSelection(location);
    m_locations->setCurrentRow(location);
  }
  m_showing = false;
  ShowEntry(slot);
}

void ConnectionPage::ShowEntry(int slot) {
  m_showing = true;
  const settings::AddressEntry* entry = SelectedEntry();
  m_addresses->setRowCount(0);
  if (entry) {
    ShowChoice(*m_rendering, Q(entry->ColorRendering()));
    const std::vector<settings::AddressSlot>& list = entry->Addresses().Slots();
    m_addresses->setRowCount(static_cast<int>(list.size()));
    for (int row = 0; row < static_cast<int>(list.size()); ++row) {
      const settings::AddressSlot& s = list[static_cast<size_t>(row)];
      m_addresses->setItem(row, COLUMN_ADDRESS, new QTableWidgetItem(Q(s.address)));
      m_addresses->setItem(row, COLUMN_USING, new QTableWidgetItem(Q(s.connectionType)));
      m_addresses->setItem(row, COLUMN_PULSE_TONE,
                           new QTableWidgetItem(settings::PulseToneText(s)));
    }
    if (!list.empty())
      m_addresses->setCurrentCell(std::clamp(slot, 0, entry->Addresses().LastSlot()), 0);
  }
  const bool hasEntry = entry != nullptr;
  for (QWidget* control :
       std::initializer_list<QWidget*>{m_renameLocation, m_deleteLocation, m_rendering, m_address,
                                       m_using, m_pulse, m_removeAddress})
    control->setEnabled(hasEntry);
  m_addFailover->setEnabled(hasEntry && settings::CanAddFailoverAddress(*entry));
  m_showing = false;
  ShowSlot(SelectedSlot());
}

void ConnectionPage::ShowSlot(int slot) {
  const settings::AddressEntry* entry = SelectedEntry();
  if (!entry || slot > entry->Addresses().LastSlot()) return;
  const settings::AddressSlot& s = entry->Addresses().Slots()[static_cast<size_t>(slot)];
  m_showing = true;
  m_address->setText(Q(s.address));
  ShowChoice(*m_using, Q(s.connectionType));
  m_pulse->setChecked(s.pulseDial);
  m_pulse->setEnabled(s.connectionType != settings::TCP_IP);
  m_showing = false;
}

void ConnectionPage::OnSelectLocation(int row) {
  if (m_showing || row < 0) return;
  m_book.SetCurrentSelection(row);
  ShowEntry(0);
  Edited();
}

void ConnectionPage::OnAddLocation() {
  const std::optional<std::string> name =
      Dialogs().PromptText("Add Location", "Name of the new location:", "");
  if (!name) return;
  int added = -1;
  if (Attempt([&] { added = settings::AddLocation(m_book, *name); })) {
    ShowBook(added);
    Edited();
  }
}

void ConnectionPage::OnRenameLocation() {
  const settings::AddressEntry* entry = SelectedEntry();
  if (!entry) return;
  const std::optional<std::string> name =
      Dialogs().PromptText("Rename Location", "New name of the location:", entry->Location());
  if (!name) return;
  int renamed = -1;
  if (Attempt(
          [&] { renamed = settings::RenameLocation(m_book, m_locations->currentRow(), *name); })) {
    ShowBook(renamed);
    Edited();
  }
}

void ConnectionPage::OnDeleteLocation() {
  const int row = m_locations->currentRow();
  if (row < 0) return;
  if (Attempt([&] { settings::DeleteLocation(m_book, row); })) {
    ShowBook(0);
    Edited();
  }
}

void ConnectionPage::OnRenderingChosen() {
  settings::AddressEntry* entry = SelectedEntry();
  if (m_showing || !entry) return;
  entry->SetColorRendering(m_rendering->currentText().toStdString());
  Edited();
}

void ConnectionPage::OnAddFailover() {
  settings::AddressEntry* entry = SelectedEntry();
  if (!entry) return;
  if (Attempt([&] { settings::AddFailoverAddress(*entry); })) {
    ShowEntry(entry->Addresses().LastSlot());
    Edited();
  }
}

void ConnectionPage::OnRemoveAddress() {
  settings::AddressEntry* entry = SelectedEntry();
  if (!entry) return;
  const int slot = SelectedSlot();
  if (Attempt([&] { settings::RemoveAddressSlot(*entry, slot); })) {
    ShowEntry(slot);
    Edited();
  }
}

void ConnectionPage::OnSelectAddress() {
  if (!m_showing) ShowSlot(SelectedSlot());
}

void ConnectionPage::OnAddressEdited() {
  settings::AddressEntry* entry = SelectedEntry();
  if (m_showing || !entry) return;
  const int slot = SelectedSlot();
  const settings::AddressSlot value{m_using->currentText().toStdString(),
                                    m_address->text().toStdString(), m_pulse->isChecked()};
  if (!Attempt([&] { settings::EditAddressSlot(*entry, slot, value); })) {
    ShowSlot(slot);
    return;
  }
  m_addresses->item(slot, COLUMN_ADDRESS)->setText(Q(value.address));
  m_addresses->item(slot, COLUMN_USING)->setText(Q(value.connectionType));
  m_addresses->item(slot, COLUMN_PULSE_TONE)->setText(settings::PulseToneText(value));
  m_pulse->setEnabled(value.connectionType != settings::TCP_IP);
  Edited();
}

}  // namespace ui

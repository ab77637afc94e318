#include "ui/DevicesPage.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "admin/ServerConfigData.h"
#include "protocol/PacketTypes.h"
#include "settings/EditError.h"
#include "ui/PropertyEditor.h"

namespace ui {
namespace {

constexpr const char* PORT_KIND = "PORT";
constexpr const char* DEVICE_KIND = "DEVICE";
// The device type that holds its port for the power-strip commands.
constexpr const char* POWER_STRIP_TYPE = "PowerSwitch";
constexpr const char* CONFIG_FILTER = "Config Files (*.xml)|*.xml|All Files (*.*)|*.*";
constexpr const char* INSTALLED_MARK = "*";
constexpr const char* POWER_STRIP_NOTE =
    "The install button is inactive because a power strip is installed on it.  If you want to "
    "use this port reassign or uninstall the power strip first.";

QString Q(const std::string& text) { return QString::fromStdString(text); }

// The name a list row stands for, kept apart from the text it shows.
std::string RowName(const QListWidget& list) {
  const QListWidgetItem* item = list.currentItem();
  return item ? item->data(Qt::UserRole).toString().toStdString() : std::string();
}

QListWidgetItem* NamedItem(const QString& text, const std::string& name) {
  auto* item = new QListWidgetItem(text);
  item->setData(Qt::UserRole, Q(name));
  return item;
}

}  // namespace

DevicesPage::DevicesPage(platform::OperatorDialogs& dialogs, const UnitAdmin& unit)
    : PreferencesPage(dialogs),
      m_unit(unit),
      m_runEditor([](PropertyEditor& e) { return e.exec(); }) {
  auto* layout = new QVBoxLayout(this);
  m_message = new QLabel(this);
  m_message->setWordWrap(true);
  layout->addWidget(m_message);
  auto* lists = new QGridLayout;
  lists->addWidget(new QLabel("Component", this), 0, 0);
  lists->addWidget(new QLabel("Device", this), 0, 1);
  m_ports = new QListWidget(this);
  m_devices = new QListWidget(this);
  lists->addWidget(m_ports, 1, 0);
  lists->addWidget(m_devices, 1, 1);
  layout->addLayout(lists);
  m_installNote = new QLabel(this);
  m_installNote->setWordWrap(true);
  layout->addWidget(m_installNote);
  auto* buttons = new QHBoxLayout;
  m_install = new QPushButton("Toggle Install", this);
  m_properties = new QPushButton("Properties...", this);
  m_fromFile = new QPushButton("From file...", this);
  m_saveToFile = new QPushButton("Save to file...", this);
  for (QPushButton* button : {m_install, m_properties, m_fromFile, m_saveToFile})
    buttons->addWidget(button);
  buttons->addStretch();
  layout->addLayout(buttons);

  connect(m_ports, &QListWidget::currentRowChanged, this, [this] {
    Act("Error changing selected item.", "Error occured in OnSelchangeLISTports().\n",
        [this] { FillDevices(); });
  });
  connect(m_devices, &QListWidget::currentRowChanged, this, [this] {
    Act("Error changing selected item.", "Error occured in OnSelchangeLISTDevices().\n",
        [this] { UpdateButtons(); });
  });
  connect(m_install, &QPushButton::clicked, this, [this] { OnInstall(); });
  connect(m_properties, &QPushButton::clicked, this, [this] { OnProperties(); });
  connect(m_fromFile, &QPushButton::clicked, this, [this] { OnFromFile(); });
  connect(m_saveToFile, &QPushButton::clicked, this, [this] { OnSaveToFile(); });

  const view::KVMDispatcher& dispatcher = m_unit.dispatcher;
  if (dispatcher.ReceiveCount(SERVER_CONFIG_DATA) == 0) {
    m_message->setText(Q(m_unit.UnitName() + " has sent no configuration document yet."));
  } else if (!dispatcher.ServerConfigFault().empty()) {
    m_message->setText(
        Q("Config data from server was invalid.\n" + dispatcher.ServerConfigFault()));
  } else {
    try {
      Take(admin::ConfigDocument::FillFromString(dispatcher.ServerConfigText()));
    } catch (const TextError& e) {
      m_message->setText(Q("Config data from server was invalid.\n" + e.Text()));
    }
  }
  UpdateButtons();
}

void DevicesPage::Act(const std::string& text, const std::string& detail,
                      const std::function<void()>& action) {
  try {
    action();
  } catch (const std::exception& e) {
    Dialogs().ShowError(text, detail + e.what());
  }
}

void DevicesPage::Take(admin::ConfigDocument document) {
  m_document = std::move(document);
  FillPorts();
}

void DevicesPage::FillPorts() {
  const std::string selected = SelectedPort();
  const QSignalBlocker quiet(m_ports);
  m_ports->clear();
  if (!m_document) return;
  std::vector<std::string> holding;
  for (const admin::ConfigObject& device : m_document->Objects(DEVICE_KIND))
    holding.push_back(m_document->InstalledOn(device.name));
  for (const admin::ConfigObject& port : m_document->Objects(PORT_KIND)) {
    const bool holds = std::find(holding.begin(), holding.end(), port.name) != holding.end();
    m_ports->addItem(NamedItem(Q((holds ? INSTALLED_MARK : "") + port.name), port.name));
    if (port.name == selected) m_ports->setCurrentRow(m_ports->count() - 1);
  }
  FillDevices();
}

void DevicesPage::FillDevices() {
  const std::string selected = SelectedDevice();
  const std::string port = SelectedPort();
  {
    const QSignalBlocker quiet(m_devices);
    m_devices->clear();
    if (m_document && !port.empty())
      for (const admin::ConfigObject& device : m_document->Objects(DEVICE_KIND))
        if (m_document->Accepts(port, device.name)) {
          m_devices->addItem(NamedItem(Q(device.name), device.name));
          if (device.name == selected) m_devices->setCurrentRow(m_devices->count() - 1);
        }
  }
  UpdateButtons();
}

std::string DevicesPage::SelectedPort() const { return RowName(*m_ports); }
std::string DevicesPage::SelectedDevice() const { return RowName(*m_devices); }

// The button names what it will do; a port that holds a power strip keeps it
// until the strip is moved from its own selection.
void DevicesPage::UpdateButtons() {
  const std::string port = SelectedPort();
  const std::string device = SelectedDevice();
  bool stripHeld = false;
  if (m_document && !port.empty())
    for (const admin::ConfigObject& object : m_document->Objects(DEVICE_KIND))
      stripHeld = stripHeld ||
                  (object.type == POWER_STRIP_TYPE && m_document->InstalledOn(object.name) == port);
  const bool both = !port.empty() && !device.empty();
  m_install->setText(!both                                     ? "Toggle Install"
                     : m_document->InstalledOn(device) == port ? "Uninstall"
                                                               : "Install");
  m_install->setEnabled(both && !stripHeld);
  m_installNote->setText(stripHeld ? POWER_STRIP_NOTE : "");
  m_properties->setEnabled(m_document && !port.empty());
  m_saveToFile->setEnabled(m_document.has_value());
}

void DevicesPage::OnInstall() {
  Act("Error installing.", "Error occured in OnBUTTONInstall().\n", [this] {
    const std::string port = SelectedPort();
    const std::string device = SelectedDevice();
    if (port.empty() || device.empty()) return;
    if (m_document->InstalledOn(device) == port)
      m_document->Uninstall(device);
    else
      m_document->Install(device, port);
    FillPorts();
    SetModified(true);
  });
}

void DevicesPage::OnProperties() {
  Act("Error editing properties.", "Error occured in OnBUTTONProperties().\n", [this] {
    const std::string device = SelectedDevice();
    const bool onDevice = !device.empty();
    PropertyEditor editor(this, Dialogs(), *m_document, onDevice ? DEVICE_KIND : PORT_KIND,
                          onDevice ? device : SelectedPort());
    m_runEditor(editor);
    if (editor.Changed()) SetModified(true);
  });
}

void DevicesPage::OnFromFile() {
  const std::optional<std::string> file =
      Dialogs().ChooseFileToOpen("Server Config File", CONFIG_FILTER);
  if (!file) return;
  Act("Error reading file.", "Error occured in OnBUTTONFromFile().\n", [&] {
    Take(admin::ConfigDocument::LoadFromFile(*file));
    m_message->clear();
    UpdateButtons();
    SetModified(true);
  });
}

void DevicesPage::OnSaveToFile() {
  const std::optional<std::string> file = Dialogs().ChooseFileToSave("Save As", CONFIG_FILTER, "");
  if (!file) return;
  Act("There was a problem saving the file.", "Error occured in OnBUTTONSaveToFile().\n",
      [&] { m_document->SaveToFile(*file); });
}

void DevicesPage::Apply() {
  if (!m_document) return;
  try {
    m_unit.RequireConnection("send the configuration");
    admin::SendServerConfig(m_unit.session, m_document->ToString());
  } catch (const std::exception& e) {
    throw settings::EditError("Error sending changes to remote.",
                              std::string("Error occured in OnApply().\n") + e.what());
  }
}

}  // namespace ui

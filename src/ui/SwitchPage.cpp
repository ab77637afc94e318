#include "ui/SwitchPage.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "protocol/PacketTypes.h"

namespace ui {
namespace {

constexpr int WATCH_MS = 100;
constexpr const char* SWITCH_FILTER = "Switch Files (*.txt)|*.txt|All Files (*.*)|*.*";
constexpr const char* SWITCH_EXTENSION = ".switch";
constexpr const char* KEY_CODE_HELP =
    "Key codes are the names on the keytops without spaces (PrintScreen), Tab spelled out, "
    "Ctrl, Shift and Alt as left or right (LCtrl), \"-up\" and \"-dn\" for separate strokes "
    "(LCtrl-dn H LCtrl-up), keypad keys with KP (KP5), the arrows as LArrow, RArrow, UArrow "
    "and DArrow, and BackSpace for the back-arrow key.";

QString Q(const std::string& text) { return QString::fromStdString(text); }
std::string S(const QTableWidgetItem* item) {
  return item ? item->text().toStdString() : std::string();
}

}  // namespace

SwitchPage::SwitchPage(platform::OperatorDialogs& dialogs, const UnitAdmin& unit)
    : PreferencesPage(dialogs), m_unit(unit) {
  auto* layout = new QVBoxLayout(this);
  m_message = new QLabel(this);
  m_message->setWordWrap(true);
  layout->addWidget(m_message);
  auto* form = new QFormLayout;
  m_type = new QComboBox(this);
  m_type->setEditable(true);
  for (const std::string& model : m_unit.switchModels) m_type->addItem(Q(model));
  m_type->addItems({"standalone", "custom"});
  m_ports = new QSpinBox(this);
  m_ports->setRange(1, admin::MAX_SWITCH_PORTS);
  form->addRow("Switch type:", m_type);
  form->addRow("Ports:", m_ports);
  layout->addLayout(form);
  m_grid = new QTableWidget(0, 3, this);
  m_grid->setHorizontalHeaderLabels({"Port", "Name", "Key Code"});
  m_grid->horizontalHeader()->setStretchLastSection(true);
  m_grid->verticalHeader()->hide();
  layout->addWidget(m_grid);
  auto* help = new QLabel(KEY_CODE_HELP, this);
  help->setWordWrap(true);
  layout->addWidget(help);
  auto* buttons = new QHBoxLayout;
  m_load = new QPushButton("Load from File...", this);
  m_save = new QPushButton("Save to File...", this);
  m_send = new QPushButton("Send", this);
  for (QPushButton* button : {m_load, m_save, m_send}) buttons->addWidget(button);
  buttons->addStretch();
  layout->addLayout(buttons);

  connect(m_type, &QComboBox::currentTextChanged, this, [this] {
    if (!m_filling) SetModified(true);
  });
  connect(m_ports, &QSpinBox::valueChanged, this, [this](int count) { OnPortCount(count); });
  connect(m_grid, &QTableWidget::itemChanged, this, [this] {
    if (!m_filling) SetModified(true);
  });
  connect(m_load, &QPushButton::clicked, this, [this] { OnLoad(); });
  connect(m_save, &QPushButton::clicked, this, [this] { OnSave(); });
  connect(m_send, &QPushButton::clicked, this, [this] { OnSend(); });

  Show(admin::SwitchSettings(m_unit.switchModels));
  if (m_unit.dispatcher.ReceiveCount(SWITCH_SETTINGS) > 0) {
    TakeUpUnitTable();
  } else if (m_unit.session.IsConnected()) {
    m_message->setText(Q("Waiting for the switch table from " + m_unit.UnitName() + "."));
    Attempt([this] { admin::RequestSwitchSettings(m_unit.session); });
  } else {
    m_message->setText(Q(m_unit.UnitName() + " has sent no switch table."));
  }
  // The table may come in while the sheet is open.
  connect(&m_watch, &QTimer::timeout, this, [this] { TakeUpUnitTable(); });
  m_watch.start(WATCH_MS);
}

void SwitchPage::TakeUpUnitTable() {
  const uint32_t count = m_unit.dispatcher.ReceiveCount(SWITCH_SETTINGS);
  if (count == m_taken) return;
  m_taken = count;
  // A table that comes in late never overwrites what the operator typed.
  if (IsModified()) {
    m_message->setText(
        Q("A switch table came from " + m_unit.UnitName() + "; your edits are kept."));
    return;
  }
  admin::SwitchSettings table(m_unit.switchModels);
  const std::string problems =
      table.LoadGridFromString(m_unit.dispatcher.SwitchSettingsText(), m_unit.UnitName());
  if (!problems.empty()) {
    m_message->setText(Q(admin::PATTERN_PROBLEMS + problems));
    return;
  }
  m_message->clear();
  Show(table);
  SetModified(false);
}

void SwitchPage::Show(const admin::SwitchSettings& table) {
  m_filling = true;
  m_type->setCurrentText(Q(table.TypeName()));
  const std::vector<admin::SwitchRow>& rows = table.Rows();
  m_grid->setRowCount(static_cast<int>(rows.size()));
  for (size_t i = 0; i < rows.size(); ++i) {
    const auto row = static_cast<int>(i);
    m_grid->setItem(row, 0, new QTableWidgetItem(Q(rows[i].port)));
    m_grid->setItem(row, 1, new QTableWidgetItem(Q(rows[i].name)));
    m_grid->setItem(row, 2, new QTableWidgetItem(Q(rows[i].keyCodes)));
  }
  m_ports->setValue(std::max<int>(1, m_grid->rowCount()));
  m_filling = false;
}

// Rows come and go at the end; going asks first, and No keeps the table.
void SwitchPage::OnPortCount(int count) {
  if (m_filling) return;
  const int rows = m_grid->rowCount();
  if (count < rows &&
      !Dialogs().AskYesNo("Switch Settings", "Deleting the last " + std::to_string(rows - count) +
                                                 " ports from the table, OK?")) {
    m_filling = true;
    m_ports->setValue(rows);
    m_filling = false;
    return;
  }
  m_filling = true;
  m_grid->setRowCount(count);
  for (int row = rows; row < count; ++row) {
    m_grid->setItem(row, 0, new QTableWidgetItem(QString::number(row + 1)));
    m_grid->setItem(row, 1, new QTableWidgetItem);
    m_grid->setItem(row, 2, new QTableWidgetItem);
  }
  m_filling = false;
  SetModified(true);
}

admin::SwitchSettings SwitchPage::Checked() const {
  std::vector<admin::SwitchRow> rows;
  for (int row = 0; row < m_grid->rowCount(); ++row)
    rows.push_back({S(m_grid->item(row, 0)), S(m_grid->item(row, 1)), S(m_grid->item(row, 2))});
  admin::SwitchSettings table(m_unit.switchModels);
  const std::string problems = table.LoadGridFromString(
      admin::SwitchTableText(m_type->currentText().toStdString(), rows, true), "the table");
  if (!problems.empty()) throw TextError(admin::PATTERN_PROBLEMS + problems);
  return table;
}

void SwitchPage::OnLoad() {
  const std::optional<std::string> file =
      Dialogs().ChooseFileToOpen("Select Switch Settings File", SWITCH_FILTER);
  if (!file) return;
  admin::SwitchSettings table(m_unit.switchModels);
  Attempt([&] {
    const std::string problems = table.ReadInFile(*file);
    if (!problems.empty()) throw TextError(admin::KEYSTROKE_PROBLEMS + problems);
    Show(table);
    SetModified(true);
  });
}

void SwitchPage::OnSave() {
  const std::optional<std::string> file = Dialogs().ChooseFileToSave("Save As", SWITCH_FILTER, "");
  if (!file) return;
  std::string name = *file;
  if (name.find('.', name.rfind('/') + 1) == std::string::npos) name += SWITCH_EXTENSION;
  Attempt([&] { Checked().WriteOutFile(name); });
}

void SwitchPage::OnSend() {
  if (Attempt([this] { Apply(); })) SetModified(false);
}

void SwitchPage::Apply() {
  const admin::SwitchSettings table = Checked();
  m_unit.RequireConnection("save table");
  admin::SendSwitchSettings(m_unit.session, table);
}

}  // namespace ui

#include "ui/SecurityPage.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "admin/UserDetails.h"
#include "admin/UsersPacket.h"
#include "protocol/PacketTypes.h"
#include "ui/UserDetailsDialog.h"

namespace ui {
namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

SecurityPage::SecurityPage(platform::OperatorDialogs& dialogs, const UnitAdmin& unit)
    : PreferencesPage(dialogs),
      m_unit(unit),
      m_runDialog([](UserDetailsDialog& d) { return d.exec(); }) {
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(Q("Users on " + m_unit.UnitName()), this));
  m_message = new QLabel(this);
  m_message->setWordWrap(true);
  layout->addWidget(m_message);
  m_table = new QTableWidget(0, 4, this);
  m_table->setHorizontalHeaderLabels({"User ID", "Dialback Number", "IP Mask", "Admin"});
  m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
  m_table->setSelectionMode(QAbstractItemView::SingleSelection);
  m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  m_table->horizontalHeader()->setStretchLastSection(true);
  layout->addWidget(m_table);
  auto* buttons = new QHBoxLayout;
  m_add = new QPushButton("Add...", this);
  m_edit = new QPushButton("Edit...", this);
  m_remove = new QPushButton("Remove", this);
  for (QPushButton* button : {m_add, m_edit, m_remove}) buttons->addWidget(button);
  buttons->addStretch();
  layout->addLayout(buttons);
  connect(m_add, &QPushButton::clicked, this, [this] { OnAdd(); });
  connect(m_edit, &QPushButton::clicked, this, [this] { OnEdit(); });
  connect(m_remove, &QPushButton::clicked, this, [this] { OnRemove(); });
  connect(m_table, &QTableWidget::cellDoubleClicked, this, [this] { OnEdit(); });

  const view::KVMDispatcher& dispatcher = m_unit.dispatcher;
  // Without a list as the unit sent it, nothing could be sent back but a
  // guess; the page stays empty and says why.
  if (dispatcher.ReceiveCount(USERS_LIST) == 0) {
    m_message->setText(Q(m_unit.UnitName() + " has sent no accounts list yet."));
  } else if (!dispatcher.UsersListFault().empty()) {
    m_message->setText(Q("The accounts list from " + m_unit.UnitName() + " could not be read:\n" +
                         dispatcher.UsersListFault()));
  } else {
    m_list = dispatcher.UsersList();
  }
  const bool usable = m_message->text().isEmpty();
  for (QPushButton* button : {m_add, m_edit, m_remove}) button->setEnabled(usable);
  Fill();
}

void SecurityPage::Fill() {
  m_table->setRowCount(static_cast<int>(m_list.Count()));
  for (size_t i = 0; i < m_list.Count(); ++i) {
    const admin::LoginAccount& account = m_list.At(i);
    const auto row = static_cast<int>(i);
    m_table->setItem(row, 0, new QTableWidgetItem(Q(account.userId)));
    m_table->setItem(row, 1, new QTableWidgetItem(Q(admin::ShownDialback(account.dialback))));
    m_table->setItem(row, 2, new QTableWidgetItem(Q(account.ipMask)));
    m_table->setItem(row, 3, new QTableWidgetItem(account.IsAdministrator() ? "YES" : "NO"));
  }
}

std::optional<size_t> SecurityPage::Selected() const {
  const int row = m_table->currentRow();
  if (row < 0 || static_cast<size_t>(row) >= m_list.Count()) return std::nullopt;
  return static_cast<size_t>(row);
}

void SecurityPage::OnAdd() {
  if (const std::string refused = admin::CheckAdd(m_list, m_unit.UnitName()); !refused.empty()) {
    Dialogs().ShowError("Users on " + m_unit.UnitName(), refused);
    return;
  }
  RunDetails(std::nullopt);
}

void SecurityPage::OnEdit() {
  if (const std::optional<size_t> selected = Selected()) RunDetails(selected);
}

void SecurityPage::OnRemove() {
  const std::optional<size_t> selected = Selected();
  if (!selected) return;
  if (const std::string refused = admin::CheckRemove(m_list, *selected); !refused.empty()) {
    Dialogs().ShowError("Users on " + m_unit.UnitName(), refused);
    return;
  }
  m_list.Remove(*selected);
  Fill();
  SetModified(true);
}

void SecurityPage::RunDetails(std::optional<size_t> editing) {
  UserDetailsDialog dialog(this, Dialogs(), m_list, editing);
  if (m_runDialog(dialog) != QDialog::Accepted) return;
  if (Attempt([&] { admin::ApplyUserDetails(m_list, editing, dialog.Details()); })) {
    Fill();
    m_table->selectRow(static_cast<int>(editing.value_or(m_list.Count() - 1)));
    SetModified(true);
  }
}

void SecurityPage::Apply() {
  m_unit.RequireConnection("send the accounts");
  try {
    admin::SendUsers(m_unit.session, m_list);
  } catch (const TextError& e) {
    throw TextError("There was a problem in SendUsers():\n" + e.Text());
  }
}

}  // namespace ui

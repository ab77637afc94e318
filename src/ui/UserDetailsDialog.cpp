#include "ui/UserDetailsDialog.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QToolTip>

namespace ui {
namespace {

const QString LETTERS_AND_DIGITS = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
// Two different texts, so a field left as it opened is known by its flag, not
// by what it holds.
const QString PASSWORD_PLACEHOLDER = "pw-kept";
const QString CONFIRMATION_PLACEHOLDER = "pw-same";
const QString IP_MASK_TIP =
    "The IP mask restricts where the user may connect from: a full address for a fixed "
    "address, \"*\" in place of any part (for example a last part \"*\" for addresses given "
    "out by DHCP).";

std::string S(const QString& text) { return text.toStdString(); }
QString Q(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

UserDetailsDialog::UserDetailsDialog(QWidget* parent, platform::OperatorDialogs& dialogs,
                                     const admin::LoginsList& list, std::optional<size_t> editing)
    : QDialog(parent), m_dialogs(dialogs), m_list(list), m_editing(editing) {
  setWindowTitle("User Details");
  const admin::UserDetails shown =
      editing ? admin::DetailsOf(list.At(*editing)) : admin::UserDetails{};
  const auto length = static_cast<int>(admin::MAX_TYPED_CHARACTERS);
  auto* form = new QFormLayout(this);
  m_userId = AddField(LETTERS_AND_DIGITS + admin::USER_ID_MARKS, length);
  m_userId->setText(Q(shown.userId));
  m_password = AddField(LETTERS_AND_DIGITS + admin::USER_ID_MARKS + "/", length);
  m_confirmation = AddField(LETTERS_AND_DIGITS + admin::USER_ID_MARKS + "/", length);
  for (QLineEdit* field : {m_password, m_confirmation}) field->setEchoMode(QLineEdit::Password);
  if (editing) {
    m_password->setText(PASSWORD_PLACEHOLDER);
    m_confirmation->setText(CONFIRMATION_PLACEHOLDER);
  }
  connect(m_password, &QLineEdit::textEdited, this, [this] { m_passwordTyped = true; });
  connect(m_confirmation, &QLineEdit::textEdited, this, [this] { m_confirmationTyped = true; });
  m_dialback = AddField(admin::DIALBACK_CHARACTERS, length);
  m_dialback->setText(Q(shown.dialback));

  auto* maskRow = new QWidget(this);
  auto* maskLayout = new QHBoxLayout(maskRow);
  maskLayout->setContentsMargins(0, 0, 0, 0);
  for (size_t i = 0; i < m_mask.size(); ++i) {
    // The dot is let in only to move on to the next part.
    m_mask[i] =
        AddField(admin::IP_MASK_CHARACTERS, static_cast<int>(admin::IP_MASK_PART_CHARACTERS), ".");
    m_mask[i]->setText(Q(shown.ipMask[i]));
    m_mask[i]->setToolTip(IP_MASK_TIP);
    connect(m_mask[i], &QLineEdit::textEdited, this, [this, i] { OnMaskEdited(i); });
    if (i > 0) maskLayout->addWidget(new QLabel(".", maskRow));
    maskLayout->addWidget(m_mask[i]);
  }

  m_administrator = new QComboBox(this);
  m_administrator->addItems({"YES", "NO"});
  m_administrator->setCurrentIndex(shown.administrator ? 0 : 1);
  connect(m_administrator, &QComboBox::currentIndexChanged, this,
          [this] { OnAdministratorChosen(); });

  m_status = new QLabel(this);
  m_status->setWordWrap(true);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  m_ok = buttons->button(QDialogButtonBox::Ok);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  form->addRow("User ID:", m_userId);
  form->addRow("Password:", m_password);
  form->addRow("Confirm Password:", m_confirmation);
  form->addRow("Dialback Number:", m_dialback);
  form->addRow("IP Mask:", maskRow);
  form->addRow("Administrator:", m_administrator);
  form->addRow(m_status);
  form->addRow(buttons);
  for (QLineEdit* field : findChildren<QLineEdit*>())
    connect(field, &QLineEdit::textChanged, this, [this] { Check(); });
  Check();
}

// A field that takes only its characters (and the unnamed extra ones), at
// most length of them; a character it refuses beeps and names the set.
QLineEdit* UserDetailsDialog::AddField(const QString& characters, int length,
                                       const QString& extra) {
  auto* field = new QLineEdit(this);
  field->setMaxLength(length);
  field->setValidator(new QRegularExpressionValidator(
      QRegularExpression("[" + QRegularExpression::escape(characters + extra) + "]*"), field));
  connect(field, &QLineEdit::inputRejected, field, [field, characters] {
    QApplication::beep();
    QToolTip::showText(field->mapToGlobal(QPoint(0, field->height())),
                       "Must be one of: " + characters, field);
  });
  return field;
}

// Typing "." or filling a part moves on to the next part.
void UserDetailsDialog::OnMaskEdited(size_t index) {
  QLineEdit* part = m_mask[index];
  const bool dotted = part->text().contains('.');
  if (dotted) part->setText(part->text().remove('.'));
  const bool full = part->text().size() >= static_cast<int>(admin::IP_MASK_PART_CHARACTERS);
  if ((dotted || full) && index + 1 < m_mask.size()) {
    m_mask[index + 1]->setFocus();
    m_mask[index + 1]->selectAll();
  }
}

// The administrator rule is the only one that looks at the choice, so a
// choice of NO that the rules answer differently from YES is the last
// administrator losing the privilege: refused, and the choice goes back.
void UserDetailsDialog::OnAdministratorChosen() {
  admin::UserDetails details = Details();
  if (details.administrator) return Check();
  const std::string refused = admin::CheckUserDetails(m_list, m_editing, details);
  details.administrator = true;
  if (refused != admin::CheckUserDetails(m_list, m_editing, details)) {
    m_dialogs.ShowError("User Details", refused);
    m_administrator->setCurrentIndex(0);
  }
  Check();
}

admin::UserDetails UserDetailsDialog::Details() const {
  admin::UserDetails details;
  details.userId = S(m_userId->text());
  // Either field typed into makes both count as typed; one left as it opened
  // then holds nothing.
  if (!m_editing || m_passwordTyped || m_confirmationTyped) {
    details.password = m_passwordTyped || !m_editing ? S(m_password->text()) : std::string();
    details.confirmation =
        m_confirmationTyped || !m_editing ? S(m_confirmation->text()) : std::string();
  }
  details.dialback = S(m_dialback->text());
  for (size_t i = 0; i < m_mask.size(); ++i) details.ipMask[i] = S(m_mask[i]->text());
  details.administrator = m_administrator->currentIndex() == 0;
  return details;
}

void UserDetailsDialog::Check() {
  const std::string broken = admin::CheckUserDetails(m_list, m_editing, Details());
  m_status->setText(Q(broken));
  m_ok->setEnabled(broken.empty());
}

}  // namespace ui

#include "ui/PropertyEditor.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSpinBox>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "platform/TextError.h"

namespace ui {
namespace {

// The editors' places in the stack, by edit code.
enum EditorIndex { SHOWN = 0, TEXT = 1, NUMBER = 2, CHOICE = 3 };

QString Q(const std::string& text) { return QString::fromStdString(text); }

int EditorOf(const std::string& edit) {
  if (edit == "1") return TEXT;
  if (edit == "2") return NUMBER;
  if (edit == "3") return CHOICE;
  return SHOWN;
}

}  // namespace

PropertyEditor::PropertyEditor(QWidget* parent, platform::OperatorDialogs& dialogs,
                               admin::ConfigDocument& document, std::string kind,
                               std::string object)
    : QDialog(parent),
      m_dialogs(dialogs),
      m_document(document),
      m_kind(std::move(kind)),
      m_object(std::move(object)) {
  setWindowTitle(Q(m_object + " Properties"));
  auto* layout = new QVBoxLayout(this);
  m_names = new QListWidget(this);
  layout->addWidget(m_names);
  m_editors = new QStackedWidget(this);
  m_shown = new QLabel(m_editors);
  m_text = new QLineEdit(m_editors);
  m_number = new QSpinBox(m_editors);
  m_choice = new QComboBox(m_editors);
  for (QWidget* editor : std::initializer_list<QWidget*>{m_shown, m_text, m_number, m_choice})
    m_editors->addWidget(editor);
  layout->addWidget(m_editors);
  m_limits = new QLabel(this);
  layout->addWidget(m_limits);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::accept);
  layout->addWidget(buttons);

  const admin::ConfigObject* found = m_document.Find(m_kind, m_object);
  if (!found) throw TextError("There was a problem setting up the dialog.");
  for (const admin::ConfigProperty& property : found->properties)
    m_names->addItem(Q(property.name));
  connect(m_names, &QListWidget::currentRowChanged, this, [this] { OnSelect(); });
  connect(m_text, &QLineEdit::editingFinished, this,
          [this] { Store(m_text->text().toStdString()); });
  connect(m_number, &QSpinBox::editingFinished, this,
          [this] { Store(std::to_string(m_number->value())); });
  connect(m_choice, &QComboBox::activated, this,
          [this] { Store(m_choice->currentText().toStdString()); });
  if (m_names->count() > 0) m_names->setCurrentRow(0);
}

const admin::ConfigProperty* PropertyEditor::Selected() const {
  const admin::ConfigObject* found = m_document.Find(m_kind, m_object);
  const int row = m_names->currentRow();
  if (!found || row < 0 || static_cast<size_t>(row) >= found->properties.size()) return nullptr;
  return &found->properties[static_cast<size_t>(row)];
}

void PropertyEditor::OnSelect() {
  const admin::ConfigProperty* property = Selected();
  if (!property) return;
  m_selecting = true;
  const int editor = EditorOf(property->edit);
  m_editors->setCurrentIndex(editor);
  m_shown->setText(Q(property->value));
  m_text->setText(Q(property->value));
  m_number->setRange(property->minimum, property->maximum);
  m_number->setValue(QString(Q(property->value)).toInt());
  m_choice->clear();
  for (const std::string& choice : property->choices) m_choice->addItem(Q(choice));
  m_choice->setCurrentText(Q(property->value));
  m_limits->setText(editor == NUMBER
                        ? QString("From %1 to %2").arg(property->minimum).arg(property->maximum)
                        : QString());
  m_selecting = false;
}

void PropertyEditor::Store(const std::string& value) {
  const admin::ConfigProperty* property = Selected();
  if (m_selecting || !property || property->value == value) return;
  try {
    m_document.SetProperty(m_kind, m_object, property->name, value);
    m_changed = true;
  } catch (const std::exception& e) {
    m_dialogs.ShowError("There was a problem saving your edit.",
                        std::string("Error occured in OnKillfocusEDITdefault().\n") + e.what());
    OnSelect();
  }
}

}  // namespace ui

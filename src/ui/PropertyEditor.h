#pragma once
// The property editor of the remote devices page: one object's properties,
// each shown with the editor of its edit code (the value alone, a text, a
// number within its limits, a choice). An edit is stored, by the document's
// own rules, when the operator leaves the value.

#include <QDialog>

#include "admin/ConfigDocument.h"
#include "platform/Desktop.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QSpinBox;
class QStackedWidget;

namespace ui {

class PropertyEditor : public QDialog {
 public:
  // Edits the object of that kind and name in document.
  PropertyEditor(QWidget* parent, platform::OperatorDialogs& dialogs,
                 admin::ConfigDocument& document, std::string kind, std::string object);

  QListWidget& Names() { return *m_names; }
  QLabel& ShownValue() { return *m_shown; }
  QLineEdit& TextValue() { return *m_text; }
  QSpinBox& NumberValue() { return *m_number; }
  QComboBox& ChoiceValue() { return *m_choice; }
  QLabel& Limits() { return *m_limits; }
  // True once an edit was stored.
  bool Changed() const { return m_changed; }

 private:
  const admin::ConfigProperty* Selected() const;
  void OnSelect();
  void Store(const std::string& value);

  platform::OperatorDialogs& m_dialogs;
  admin::ConfigDocument& m_document;
  std::string m_kind;
  std::string m_object;
  QListWidget* m_names = nullptr;
  QStackedWidget* m_editors = nullptr;
  QLabel* m_shown = nullptr;
  QLineEdit* m_text = nullptr;
  QSpinBox* m_number = nullptr;
  QComboBox* m_choice = nullptr;
  QLabel* m_limits = nullptr;
  bool m_selecting = false;
  bool m_changed = false;
};

}  // namespace ui

#pragma once
// A failure told to the operator: its short text, the viewer's and the last
// unit's versions, and the full text behind "Details >>".

#include <QDialog>

class QPlainTextEdit;
class QPushButton;

namespace ui {

class ErrorDialog : public QDialog {
 public:
  ErrorDialog(QWidget* parent, const QString& title, const QString& details,
              const QString& versionLines);

  bool DetailsShown() const;
  QPushButton& DetailsButton() { return *m_detailsButton; }

 private:
  void ToggleDetails();

  QPlainTextEdit* m_details = nullptr;
  QPushButton* m_detailsButton = nullptr;
};

}  // namespace ui

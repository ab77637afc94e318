#include "ui/ErrorDialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace ui {

ErrorDialog::ErrorDialog(QWidget* parent, const QString& title, const QString& details,
                         const QString& versionLines)
    : QDialog(parent) {
  setWindowTitle(title);
  auto* layout = new QVBoxLayout(this);
  auto* heading = new QLabel(title, this);
  heading->setWordWrap(true);
  layout->addWidget(heading);
  auto* versions = new QLabel(versionLines, this);
  layout->addWidget(versions);
  m_details = new QPlainTextEdit(details, this);
  m_details->setReadOnly(true);
  m_details->setVisible(false);
  layout->addWidget(m_details);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  m_detailsButton = buttons->addButton("Details >>", QDialogButtonBox::ActionRole);
  m_detailsButton->setEnabled(!details.isEmpty());
  connect(m_detailsButton, &QPushButton::clicked, this, [this] { ToggleDetails(); });
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  layout->addWidget(buttons);
}

bool ErrorDialog::DetailsShown() const { return m_details->isVisibleTo(this); }

void ErrorDialog::ToggleDetails() {
  const bool show = !DetailsShown();
  m_details->setVisible(show);
  m_detailsButton->setText(show ? "Details <<" : "Details >>");
  adjustSize();
}

}  // namespace ui

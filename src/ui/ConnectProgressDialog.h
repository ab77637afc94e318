#pragma once
// "Connect Progress": starts the connection, shows the failover text as it
// grows every 200 ms, and closes by itself once logged in. "Abort" stops the
// walk; once it has ended without a login the button reads "OK".

#include <QDialog>
#include <functional>
#include <optional>
#include <string>

#include "session/ConnectProgress.h"

class QPlainTextEdit;
class QPushButton;
class QTimer;

namespace ui {

class ConnectProgressDialog : public QDialog {
 public:
  // Begins the walk once the dialog is up.
  using Start = std::function<void(session::ConnectProgress&)>;

  ConnectProgressDialog(QWidget* parent, session::Connector& connector,
                        const session::Session& session, Start start);

  // Runs the dialog; the main window's new title when it ended logged in.
  std::optional<std::string> Run();
  QPushButton& Button() { return *m_button; }
  QString Text() const;

 private:
  void OnTick();
  void OnButton();

  session::ConnectProgress m_progress;
  Start m_start;
  QPlainTextEdit* m_text = nullptr;
  QPushButton* m_button = nullptr;
  QTimer* m_timer = nullptr;
  bool m_walkEnded = false;
  std::optional<std::string> m_title;
};

}  // namespace ui

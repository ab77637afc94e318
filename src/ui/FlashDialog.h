#pragma once
// The flash update command of the main window: asks for an image, sends it
// with the "Transfer Progress" dialog, whose Abort stops it between chunks,
// and shows how it ended. An aborted image never gets its end chunk, so the
// unit does not take the part it has.

#include <QWidget>
#include <string>

#include "platform/Desktop.h"
#include "session/Session.h"

namespace ui {

class FlashDialog {
 public:
  FlashDialog(QWidget* parent, session::Session& session, platform::OperatorDialogs& dialogs,
              std::string productName);

  // The whole command, from the check that a unit is connected.
  void Run();
  // From the image's kind on, for the image at path.
  void Send(const std::string& path);

 private:
  void Inform(const std::string& text);

  QWidget* m_parent;
  session::Session& m_session;
  platform::OperatorDialogs& m_dialogs;
  std::string m_productName;
};

}  // namespace ui

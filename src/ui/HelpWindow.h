#pragma once
// The operator's manual in a window of the viewer's own. A bare X session may
// have no program to hand a Markdown file to, so the viewer shows it itself.

#include <QTextBrowser>
#include <string>

namespace ui {

class HelpWindow : public QTextBrowser {
 public:
  // A window of its own, owned by owner and closed with it; not modal.
  HelpWindow(QWidget* owner, const std::string& productName);

  // Shows the Markdown file, its pictures found beside it; false when the
  // file cannot be read, and what was shown stays.
  bool Load(const std::string& path);
};

// Shows the owner's help window on the file, made on first use and brought
// to the front after; false when the file cannot be read.
bool ShowHelp(QWidget* owner, const std::string& productName, const std::string& path);

}  // namespace ui

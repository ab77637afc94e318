#include "ui/HelpWindow.h"

#include <QFile>
#include <QFileInfo>
#include <memory>

namespace ui {
namespace {

constexpr QSize INITIAL_SIZE{800, 700};

}  // namespace

HelpWindow::HelpWindow(QWidget* owner, const std::string& productName) : QTextBrowser(owner) {
  setWindowFlag(Qt::Window);
  setWindowTitle(QString::fromStdString(productName) + " Viewer Help");
  setOpenExternalLinks(true);
  resize(INITIAL_SIZE);
}

bool HelpWindow::Load(const std::string& path) {
  QFile file(QString::fromStdString(path));
  if (path.empty() || !file.open(QIODevice::ReadOnly)) return false;
  const QString text = QString::fromUtf8(file.readAll());
  // The manual names its pictures relative to its own folder (docs/...).
  setSearchPaths({QFileInfo(file).absolutePath()});
  setMarkdown(text);
  return true;
}

bool ShowHelp(QWidget* owner, const std::string& productName, const std::string& path) {
  HelpWindow* window = owner->findChild<HelpWindow*>(QString(), Qt::FindDirectChildrenOnly);
  // A window made for a file that cannot be read is not kept.
  std::unique_ptr<HelpWindow> made;
  if (window == nullptr) {
    made = std::make_unique<HelpWindow>(owner, productName);
    window = made.get();
  }
  if (!window->Load(path)) return false;
  made.release();  // the owner's child from now on
  window->show();
  window->raise();
  window->activateWindow();
  return true;
}

}  // namespace ui

#include <gtest/gtest.h>

#include <QAction>
#include <QImage>
#include <QTextBlock>
#include <filesystem>
#include <fstream>

#include "QtApp.h"
#include "WindowFixture.h"
#include "settings/TempDir.h"
#include "ui/Commands.h"
#include "ui/HelpWindow.h"
#include "ui/ViewerWindow.h"

namespace {

// A manual with a heading and a picture in a folder beside it, as the README has.
std::string WriteManual(const TempDir& dir, const std::string& heading) {
  std::filesystem::create_directories(dir.Path() / "docs");
  QImage picture(4, 4, QImage::Format_RGB32);
  picture.fill(Qt::red);
  picture.save(QString::fromStdString(dir.File("docs/picture.png")));
  const std::string path = dir.File("README.md");
  std::ofstream(path) << "# " << heading << "\n\nSome *text*.\n\n![A picture](docs/picture.png)\n";
  return path;
}

}  // namespace

TEST(HelpWindow, ShowsTheManualRenderedWithItsPicturesInOneWindow) {
  TestApp();
  TempDir dir;
  QWidget owner;
  ASSERT_TRUE(ui::ShowHelp(&owner, "Tessaline", WriteManual(dir, "First steps")));
  ASSERT_EQ(owner.findChildren<ui::HelpWindow*>().size(), 1);
  ui::HelpWindow& help = *owner.findChild<ui::HelpWindow*>();
  EXPECT_TRUE(help.isWindow());
  EXPECT_TRUE(help.isVisible());
  EXPECT_FALSE(help.isModal());
  EXPECT_EQ(help.windowTitle(), "Tessaline Viewer Help");
  const QTextBlock first = help.document()->firstBlock();
  EXPECT_EQ(first.text(), "First steps");
  EXPECT_EQ(first.blockFormat().headingLevel(), 1);
  // The picture is found beside the manual, wherever the program runs from.
  EXPECT_FALSE(help.loadResource(QTextDocument::ImageResource, QUrl("docs/picture.png")).isNull());

  // Opened again: the same window, showing the file as it is now.
  ASSERT_TRUE(ui::ShowHelp(&owner, "Tessaline", WriteManual(dir, "Second edition")));
  EXPECT_EQ(owner.findChildren<ui::HelpWindow*>().size(), 1);
  EXPECT_EQ(help.document()->firstBlock().text(), "Second edition");
}

TEST(HelpWindow, AManualThatCannotBeReadOpensNoWindow) {
  TestApp();
  TempDir dir;
  QWidget owner;
  EXPECT_FALSE(ui::ShowHelp(&owner, "Tessaline", dir.File("missing.md")));
  EXPECT_FALSE(ui::ShowHelp(&owner, "Tessaline", ""));
  EXPECT_TRUE(owner.findChildren<ui::HelpWindow*>().isEmpty());
}

class HelpTopicsTest : public WindowFixture {};

TEST_F(HelpTopicsTest, HelpTopicsOpensTheManualInTheViewersOwnWindow) {
  setup.helpFile = WriteManual(dir, "First steps");
  ui::ViewerWindow window(setup);
  window.Show();
  window.Frame().Action(ui::ID_HELP_TOPICS)->trigger();
  const auto* help = window.Frame().findChild<ui::HelpWindow*>();
  ASSERT_NE(help, nullptr);
  EXPECT_TRUE(help->isVisible());
  EXPECT_EQ(help->document()->firstBlock().text(), "First steps");
}

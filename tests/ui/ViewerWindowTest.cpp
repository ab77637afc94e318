#include <gtest/gtest.h>

#include <QAction>
#include <QImage>
#include <QMenuBar>
#include <QPushButton>

#include "WindowFixture.h"
#include "settings/IniFile.h"
#include "settings/MiscSettings.h"
#include "settings/TempDir.h"
#include "ui/Commands.h"
#include "ui/ErrorDialog.h"
#include "ui/ViewerWindow.h"

namespace {

class ViewerWindowTest : public WindowFixture {};

}  // namespace

TEST_F(ViewerWindowTest, StartsIdleTitledByTheBrandingWithTopMostWrittenBack) {
  ui::ViewerWindow window(setup);
  window.Show();
  EXPECT_EQ(window.Frame().windowTitle(), "Tessaline Viewer");
  // A first start knows no unit: the status bar tells the way to one.
  EXPECT_EQ(window.Frame().StatusText(0).toStdString(),
            "No unit yet: Connect > Connect To... reaches one by its address.");
  EXPECT_EQ(Misc("TopMost"), "False");
  EXPECT_TRUE(window.Frame().menuBar()->isVisible());
  EXPECT_TRUE(window.Frame().Action(ui::ID_CONNECT)->isEnabled());
  // The settings' defaults: scaled, single.
  EXPECT_TRUE(window.Frame().Action(ui::ID_VIEW_SCALED)->isChecked());
  EXPECT_TRUE(window.Frame().Action(ui::ID_VIEW_SINGLE)->isChecked());
  EXPECT_NE(window.Frame().Action(ui::ID_APP_ABOUT), nullptr);
  EXPECT_EQ(window.Frame().Action(ui::ID_APP_ABOUT)->text(), "&About Tessaline Viewer");
}

TEST_F(ViewerWindowTest, ViewCommandsMoveTheirMarksAndAreWrittenToTheSettings) {
  ui::ViewerWindow window(setup);
  window.Show();
  ui::MainFrame& frame = window.Frame();

  window.OnCommand(ui::ID_VIEW_SCROLLED);
  EXPECT_TRUE(frame.Action(ui::ID_VIEW_SCROLLED)->isChecked());
  EXPECT_FALSE(frame.Action(ui::ID_VIEW_SCALED)->isChecked());
  EXPECT_EQ(Misc("VIEW_TYPE"), "scrolled");

  const bool autoSize = frame.Action(ui::ID_VIEW_AUTO_SIZE)->isChecked();
  window.OnCommand(ui::ID_VIEW_AUTO_SIZE);
  EXPECT_NE(frame.Action(ui::ID_VIEW_AUTO_SIZE)->isChecked(), autoSize);

  window.OnCommand(ui::ID_SYS_KEYS_LOCAL);
  EXPECT_TRUE(frame.Action(ui::ID_SYS_KEYS_LOCAL)->isChecked());
  EXPECT_EQ(Misc("SYS_KEYS_ARE"), "SyskeysAreSentToLocalMachine");

  // Turning off the last mouse exit brings the hotkey back on.
  window.OnCommand(ui::ID_EXIT_BY_HOTKEY);
  window.OnCommand(ui::ID_EXIT_BY_FAST_MOUSE);
  EXPECT_FALSE(frame.Action(ui::ID_EXIT_BY_HOTKEY)->isChecked());
  EXPECT_FALSE(frame.Action(ui::ID_EXIT_BY_FAST_MOUSE)->isChecked());
  window.OnCommand(ui::ID_EXIT_BY_SLOW_MOUSE);
  EXPECT_TRUE(frame.Action(ui::ID_EXIT_BY_HOTKEY)->isChecked());
  EXPECT_FALSE(frame.Action(ui::ID_EXIT_BY_SLOW_MOUSE)->isChecked());

  EXPECT_TRUE(frame.Action(ui::ID_TEACH_PASS_THROUGH)->isChecked());
  window.OnCommand(ui::ID_TEACH_PASS_THROUGH);
  EXPECT_FALSE(frame.Action(ui::ID_TEACH_PASS_THROUGH)->isChecked());
  EXPECT_EQ(Misc("TEACH_PASSTHRU_EXIT_KEYS"), "0");

  frame.Action(ui::ID_VIEW_TOPMOST)->setChecked(true);
  window.OnCommand(ui::ID_VIEW_TOPMOST);
  EXPECT_EQ(Misc("TopMost"), "True");
}

TEST_F(ViewerWindowTest, NotConnectedTheViewShowsTheNotConnectedCard) {
  ui::ViewerWindow window(setup);
  window.Show();
  const QImage shown = window.Frame().View().grab().toImage();
  ASSERT_FALSE(shown.isNull());
  // The card's navy background fills the corner of the view.
  EXPECT_EQ(shown.pixelColor(2, 2), QColor(0, 0, 128));
}

TEST(ErrorDialog, DetailsToggleAndAreOffWithoutDetailText) {
  TestApp();
  ui::ErrorDialog dialog(nullptr, "Connect failed", "the long story",
                         "Tessaline Viewer version: X");
  EXPECT_TRUE(dialog.DetailsButton().isEnabled());
  EXPECT_FALSE(dialog.DetailsShown());
  dialog.DetailsButton().click();
  EXPECT_TRUE(dialog.DetailsShown());
  EXPECT_EQ(dialog.DetailsButton().text(), "Details <<");
  dialog.DetailsButton().click();
  EXPECT_EQ(dialog.DetailsButton().text(), "Details >>");

  ui::ErrorDialog bare(nullptr, "Connect failed", "", "Tessaline Viewer version: X");
  EXPECT_FALSE(bare.DetailsButton().isEnabled());
}

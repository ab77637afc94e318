#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QSlider>
#include <QTimer>
#include <QToolBar>

#include "WindowFixture.h"
#include "platform/HeadlessDialogs.h"
#include "protocol/PacketTypes.h"
#include "settings/IniFile.h"
#include "settings/MiscSettings.h"
#include "settings/TempDir.h"
#include "ui/Commands.h"
#include "ui/DebugDialogs.h"
#include "ui/PasteKeystrokes.h"
#include "ui/ServerChoices.h"
#include "ui/ViewerWindow.h"
#include "video/ColorModes.h"

namespace {

// Answers the window's modal dialogs as they come up, recording their titles.
class ModalAnswerer {
 public:
  // answer(box) runs on each modal dialog; by default it is dismissed.
  explicit ModalAnswerer(std::function<void(QWidget&)> answer = {}) : m_answer(std::move(answer)) {
    QObject::connect(&m_timer, &QTimer::timeout, [this] {
      QWidget* modal = QApplication::activeModalWidget();
      if (!modal) return;
      titles.push_back(modal->windowTitle().toStdString());
      if (m_answer)
        m_answer(*modal);
      else if (auto* dialog = qobject_cast<QDialog*>(modal))
        dialog->reject();
    });
    m_timer.start(10);
  }
  std::vector<std::string> titles;

 private:
  std::function<void(QWidget&)> m_answer;
  QTimer m_timer;
};

class WindowCommandsTest : public WindowFixture {};

bool Checked(ui::ViewerWindow& window, uint32_t id) {
  return window.Frame().Action(id)->isChecked();
}

}  // namespace

TEST_F(WindowCommandsTest, RenderingEntriesAreRadioItemsMarkedFromTheCurrentMode) {
  {
    ui::ViewerWindow window(setup);
    window.Show();
    EXPECT_TRUE(Checked(window, video::ID_VIEW_COLOR));
    EXPECT_EQ(window.Core().Rendering().CurrentMode(), "Color always");

    window.OnCommand(video::ID_VIEW_256_COLOR);
    EXPECT_TRUE(Checked(window, video::ID_VIEW_256_COLOR));
    EXPECT_FALSE(Checked(window, video::ID_VIEW_COLOR));
    EXPECT_EQ(Misc("PROGRESSIVE_RENDERING"), "Black & White always");
    EXPECT_EQ(window.Core().Rendering().CurrentMode(), "Black & White always");
    // The progressive entries of the Debug menu are the same commands.
    window.OnCommand(video::ID_VIEW_PROGRESSIVE_GREY_TO_COLOR);
    EXPECT_TRUE(Checked(window, video::ID_VIEW_PROGRESSIVE_GREY_TO_COLOR));
    EXPECT_FALSE(Checked(window, video::ID_VIEW_256_COLOR));
  }
  // A name that is none of the six (names compare exactly) marks colour, but
  // stays no current mode.
  WriteMisc("PROGRESSIVE_RENDERING", "color always");
  ui::ViewerWindow window(setup);
  window.Show();
  EXPECT_TRUE(Checked(window, video::ID_VIEW_COLOR));
  EXPECT_EQ(window.Core().Rendering().CurrentMode(), "");
}

TEST_F(WindowCommandsTest, FullScreenHidesTheChromeAndLeavingRestoresTheWindow) {
  WriteMisc("TEACH_FULLSCREEN_EXIT_KEYS", "0");
  ui::ViewerWindow window(setup);
  window.Show();
  ui::MainFrame& frame = window.Frame();
  const QRect windowed = frame.geometry();
  const platform::Size screen = window.Core().Geometry().LocalScreen();

  window.OnCommand(ui::ID_VIEW_FULL_SCREEN);
  EXPECT_TRUE(window.IsFullScreen());
  EXPECT_TRUE(frame.isFullScreen());
  EXPECT_TRUE(window.Core().Geometry().FullScreen().on);
  EXPECT_FALSE(frame.menuBar()->isVisible());
  for (QToolBar* bar : frame.findChildren<QToolBar*>()) EXPECT_FALSE(bar->isVisible());
  EXPECT_EQ(window.Core().Bitmap().Size(), screen);

  window.OnCommand(ui::ID_VIEW_FULL_SCREEN);
  QApplication::processEvents();
  EXPECT_FALSE(window.IsFullScreen());
  EXPECT_FALSE(frame.isFullScreen());
  EXPECT_FALSE(window.Core().Geometry().FullScreen().on);
  EXPECT_TRUE(frame.menuBar()->isVisible());
  for (QToolBar* bar : frame.findChildren<QToolBar*>()) EXPECT_TRUE(bar->isVisible());
  EXPECT_EQ(frame.geometry(), windowed);
  const QSize view = frame.View().size();
  EXPECT_EQ(window.Core().Bitmap().Size(), (platform::Size{view.width(), view.height()}));
}

TEST_F(WindowCommandsTest, FullScreenTeachesTheWayOutFirst) {
  ui::ViewerWindow window(setup);
  window.Show();
  {
    ModalAnswerer cancel;
    window.OnCommand(ui::ID_VIEW_FULL_SCREEN);
    ASSERT_EQ(cancel.titles.size(), 1u);
    EXPECT_EQ(cancel.titles[0], "Tessaline");
  }
  EXPECT_FALSE(window.IsFullScreen());
  EXPECT_TRUE(Checked(window, ui::ID_TEACH_FULL_SCREEN));

  ModalAnswerer proceedForGood([](QWidget& modal) {
    auto& box = dynamic_cast<QMessageBox&>(modal);
    EXPECT_TRUE(
        box.text().startsWith("Your system is presently configured to exit this mode with:"));
    box.checkBox()->setChecked(true);
    box.button(QMessageBox::Ok)->click();
  });
  window.OnCommand(ui::ID_VIEW_FULL_SCREEN);
  EXPECT_TRUE(window.IsFullScreen());
  EXPECT_EQ(Misc("TEACH_FULLSCREEN_EXIT_KEYS"), "0");
  EXPECT_FALSE(Checked(window, ui::ID_TEACH_FULL_SCREEN));
  window.OnCommand(ui::ID_VIEW_FULL_SCREEN);
  EXPECT_EQ(proceedForGood.titles.size(), 1u);
}

TEST_F(WindowCommandsTest, ToolBarBoxesChooseTheUnitAndTheServers) {
  {
    settings::IniFile ini(setup.iniPath);
    ini.Write("TARGET-Annex", "Address", "10.0.0.7");
    ini.Write("TARGET-Annex", "Servers", "003 000 005 -01 003");
    ini.Write("TARGET-Annex", "QUADRANT_0", "5");
    ini.Write("TARGET-Default", "Address", "10.0.0.5");
    ini.Write("MISC", "CURRSEL", "1");
    ini.Write("MISC", "CURRSELTEXT", "Default");
  }
  ui::ViewerWindow window(setup);
  window.Show();
  ui::MainFrame& frame = window.Frame();
  QComboBox& targets = frame.TargetBox();
  ASSERT_EQ(targets.count(), 2);
  EXPECT_EQ(targets.currentText(), "Default");
  // The quadrants' boxes wait for the quad view; the remote keys for a login.
  EXPECT_TRUE(frame.ServerBox(ui::SINGLE_SERVER_BOX).isEnabled());
  for (int box = 1; box < ui::SERVER_BOXES; ++box) EXPECT_FALSE(frame.ServerBox(box).isEnabled());
  EXPECT_FALSE(frame.Action(ui::ID_REMOTE_CTRL_ALT_DEL)->isEnabled());
  EXPECT_FALSE(frame.Action(ui::ID_VIEW_ONE_TO_ONE)->isEnabled());

  emit targets.activated(0);
  EXPECT_EQ(Misc("CURRSEL"), "0");
  EXPECT_EQ(Misc("CURRSELTEXT"), "Annex");
  EXPECT_EQ(window.Core().Connector().CurrentTarget().Location(), "Annex");
  QComboBox& single = frame.ServerBox(ui::SINGLE_SERVER_BOX);
  ASSERT_EQ(single.count(), 3);
  EXPECT_EQ(single.itemText(0), "<No Selection>");
  EXPECT_EQ(single.itemData(2).toInt(), 5);
  EXPECT_EQ(single.currentIndex(), 2);

  // A quadrant's choice is stored for the target and brings the quad view.
  emit frame.ServerBox(3).activated(1);
  settings::IniFile ini(setup.iniPath);
  EXPECT_EQ(ini.Read("TARGET-Annex", "QUADRANT_2", "-", 20), "3");
  EXPECT_TRUE(window.Core().Geometry().IsQuadView());
  EXPECT_TRUE(Checked(window, ui::ID_VIEW_QUAD));
  for (int box = 1; box < ui::SERVER_BOXES; ++box) EXPECT_TRUE(frame.ServerBox(box).isEnabled());
  EXPECT_EQ(frame.ServerBox(3).currentIndex(), 1);
}

TEST(ServerChoices, PositiveServersOnceInOrder) {
  const std::pair<const char*, std::vector<int>> cases[] = {
      {"000 000 000 000 000", {}},
      {"-01 -01 -01 -01 -01", {}},
      {"003 000 005 -01 003", {3, 5}},
      {"", {}},
  };
  for (const auto& [text, servers] : cases) EXPECT_EQ(ui::ServersOf(text), servers) << text;
}

TEST_F(WindowCommandsTest, CopyScreenPutsTheFrameBufferOnTheClipboard) {
  ui::ViewerWindow window(setup);
  window.Show();
  video::FrameBuffer& bmp = window.Core().Bitmap();
  bmp.SetBitmapSize(40, 30);
  bmp.FillBmp(200, 100, 50, -1, 0, 0, 0);
  bmp.FillBmp(0, 0, 255, 0, 0, 10, 5);
  window.OnCommand(ui::ID_EDIT_COPY_SCREEN);
  const QImage copied = QGuiApplication::clipboard()->image();
  ASSERT_EQ(copied.size(), QSize(40, 30));
  EXPECT_EQ(copied.pixelColor(39, 29), QColor(200, 100, 50));
  EXPECT_EQ(copied.pixelColor(0, 0), QColor(0, 0, 255));
}

TEST(PasteKeystrokes, EachLineEndIsOneEnter) {
  const std::pair<std::string, std::string> cases[] = {
      {"a\r\nb\r\n", "a\nb\n"}, {"a\rb", "a\nb"}, {"a\nb\r", "a\nb\n"}, {"\r\r\n", "\n\n"}};
  for (const auto& [clipboard, typed] : cases) EXPECT_EQ(ui::TypableText(clipboard), typed);
}

TEST(PasteKeystrokes, LongTextsAreTypedOnlyWhenConfirmed) {
  platform::HeadlessDialogs dialogs;
  EXPECT_TRUE(ui::ConfirmPasteLength(dialogs, "Paste", ui::PASTE_CONFIRM_ABOVE));
  EXPECT_TRUE(dialogs.Calls().empty());

  dialogs.Script(platform::HeadlessDialogs::Answer::Choose(platform::DialogChoice::No));
  EXPECT_FALSE(ui::ConfirmPasteLength(dialogs, "Paste", ui::PASTE_CONFIRM_ABOVE + 1));
  dialogs.Script(platform::HeadlessDialogs::Answer::Choose(platform::DialogChoice::Yes));
  EXPECT_TRUE(ui::ConfirmPasteLength(dialogs, "Paste", 5000));
  ASSERT_EQ(dialogs.Calls().size(), 2u);
  EXPECT_EQ(dialogs.Calls()[0].kind, platform::HeadlessDialogs::Kind::YesNo);
  EXPECT_NE(dialogs.Calls()[0].text.find("1001 characters"), std::string::npos);
}

TEST_F(WindowCommandsTest, PasteOfflineSaysSoAndTypesNothing) {
  ui::ViewerWindow window(setup);
  window.Show();
  QGuiApplication::clipboard()->setText("hello");
  ModalAnswerer dismiss;
  window.OnCommand(ui::ID_EDIT_PASTE_KEYSTROKES);
  ASSERT_EQ(dismiss.titles.size(), 1u);
  EXPECT_EQ(dismiss.titles[0], "Paste as Keystrokes");
  EXPECT_FALSE(window.Core().Keyboard().IsPassthru());
}

TEST(TuneVideoDialog, EachPhaseIsShownTimesEightAndSentWhileConnected) {
  TestApp();
  struct Recorder : PacketSender {
    void SendPacket(PacketHeader& header, PayloadPiece piece, PayloadPiece, PayloadPiece) override {
      const auto* bytes = static_cast<const uint8_t*>(piece.data);
      sent.push_back({header.type, std::vector<uint8_t>(bytes, bytes + piece.length)});
    }
    std::vector<std::pair<uint8_t, std::vector<uint8_t>>> sent;
  } sender;
  bool connected = true;
  ui::TuneVideoDialog dialog(nullptr, sender, [&] { return connected; });
  EXPECT_EQ(dialog.Phase().value(), 15);
  EXPECT_EQ(dialog.Shown().text(), "120");
  dialog.Phase().setValue(16);
  EXPECT_EQ(dialog.Shown().text(), "128");
  ASSERT_EQ(sender.sent.size(), 1u);
  EXPECT_EQ(sender.sent[0].first, TUNE_VIDEO);
  EXPECT_EQ(sender.sent[0].second, (std::vector<uint8_t>{1, 0, 0, 0, 16}));
  connected = false;
  dialog.Phase().setValue(40);  // held at the top, shown, not sent
  EXPECT_EQ(dialog.Shown().text(), "248");
  EXPECT_EQ(sender.sent.size(), 1u);
}

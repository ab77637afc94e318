#include "ui/ViewerWindow.h"

#include <QClipboard>
#include <QComboBox>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QInputDialog>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMimeData>
#include <QScrollBar>
#include <QStatusBar>
#include <QTimer>
#include <QUrl>

#include "input/ExitMethods.h"
#include "platform/Clock.h"
#include "platform/TextError.h"
#include "platform/Trace.h"
#include "protocol/PacketTypes.h"
#include "session/LineSpeed.h"
#include "settings/AddressBook.h"
#include "settings/CommandLine.h"
#include "settings/LeadingInt.h"
#include "settings/MiscSettings.h"
#include "settings/QuickConnect.h"
#include "ui/Commands.h"
#include "ui/ConnectProgressDialog.h"
#include "ui/DebugDialogs.h"
#include "ui/FlashDialog.h"
#include "ui/FramePainter.h"
#include "ui/HelpWindow.h"
#include "ui/KeyTranslate.h"
#include "ui/MouseTranslate.h"
#include "ui/PasteKeystrokes.h"
#include "ui/PreferencesCommand.h"
#include "ui/ServerChoices.h"
#include "video/BitmapFile.h"
#include "video/ColorAnalysis.h"
#include "video/ColorModes.h"

namespace ui {
namespace {

constexpr uint32_t CONNECTED_CLOCK_MS = 1000;
constexpr int STATUS_PANE_MESSAGE = 0;
constexpr int STATUS_PANE_CLOCK = 2;
constexpr const char* TEACH_FULL_SCREEN = "TEACH_FULLSCREEN_EXIT_KEYS";
constexpr const char* TEACH_PASS_THROUGH = "TEACH_PASSTHRU_EXIT_KEYS";
constexpr int VK_TAB = 0x09;
constexpr int VK_ESCAPE = 0x1B;
constexpr int VK_LWIN = 0x5B;
constexpr int VK_RWIN = 0x5C;
constexpr int VK_APPS = 0x5D;
constexpr int32_t LOW_SPEED_RATE = 28000;
constexpr int32_t HIGH_SPEED_RATE = 1000000;

// The Debug menu's video sources, as GRAB_SOURCE subtypes.
struct GrabSource {
  uint32_t id;
  uint8_t subtype;
};
constexpr GrabSource GRAB_SOURCES[] = {
    {ID_VIDEO_FROM_GRAB, 0},
    {ID_VIDEO_RED_SCREEN, 1},
    {ID_VIDEO_RED_SCREEN_FLASH_BOX, 2},
    {ID_VIDEO_FROM_X, 4},
};

// Under the keyboard grab, the keys a desktop keeps for itself come to the
// view as hooked keys, as a keyboard hook would deliver them.
bool IsHookedKey(int virtualKey, bool altHeld, bool ctrlHeld) {
  if (virtualKey == VK_LWIN || virtualKey == VK_RWIN || virtualKey == VK_APPS) return true;
  if (altHeld && (virtualKey == VK_TAB || virtualKey == VK_ESCAPE)) return true;
  return ctrlHeld && virtualKey == VK_ESCAPE;
}

}  // namespace

ViewerWindow::ViewerWindow(const ViewerWindowSetup& setup)
    : m_setup(setup),
      m_frame(std::make_unique<MainFrame>(setup.productName)),
      m_view(*m_frame),
      m_dialogs(m_frame.get()),
      m_keyboard(m_frame->View()),
      m_pointer(m_frame->View()) {
  m_dialogs.SetVersionTexts({setup.productName, setup.viewerVersion, ""});
  m_frame->resize(1024, 768);
  m_core = std::make_unique<core::ViewerCore>(
      core::ViewerSetup{setup.iniPath, setup.productName, setup.viewerVersion, setup.traceLog},
      core::Desktop{m_thread, m_view, m_dialogs, m_keyboard, m_pointer});
  m_painter = std::make_unique<view::ViewPainter>(m_core->Bitmap(), m_core->Geometry(), m_view);
  m_fullScreen = std::make_unique<FullScreen>(*m_frame, *m_core, m_dialogs, setup.productName,
                                              [this](QSize size) {
                                                m_deliveredSize = {size.width(), size.height()};
                                              });
  // Asked for from inside a key's handling (the hotkey, leaving pass-through),
  // the toggle and its teaching dialog wait until that key has been handled.
  m_view.SetFullScreen(
      [this] { QTimer::singleShot(0, m_frame.get(), [this] { ToggleFullScreen(); }); },
      [this] { return m_fullScreen->IsOn(); });
  m_core->SetSessionObserver(this);

  m_frame->View().SetHandlers({
      [this](QPainter& painter, const QRect&) { Paint(painter); },
      [this](QSize) { DeliverViewSize(); },
      [this](const QKeyEvent& event, bool down) { return OnKey(event, down); },
      [this](bool focused) { OnFocus(focused); },
      [this](const QSinglePointEvent& event) {
        if (const auto mouse = TranslateMouse(event)) m_core->HandleMouse(*mouse);
      },
      [this] { return m_core && m_core->Keyboard().IsPassthru(); },
  });
  m_frame->SetCommandHandler([this](uint32_t id) { OnCommand(id); });
  m_frame->SetScrollHandler(
      [this](bool vertical, int action, int position) { OnScroll(vertical, action, position); });
  m_frame->SetTargetHandler([this](int, int index) { OnTargetChosen(index); });
  m_frame->SetServerHandler([this](int box, int index) { OnServerChosen(box, index); });
  m_frame->setWindowTitle(QString::fromStdString(setup.productName + " Viewer"));

  // A missing TopMost is written back as "False".
  const std::string topMost = settings::ReadMisc(m_core->Ini(), "TopMost");
  if (topMost == "-") settings::WriteMisc(m_core->Ini(), "TopMost", "False");
  const bool topmost = !topMost.empty() && (topMost[0] == 'T' || topMost[0] == 't');
  m_frame->SetChecked(ID_VIEW_TOPMOST, topmost);
  if (topmost) m_view.SetMainWindowTopmost(true);
}

ViewerWindow::~ViewerWindow() {
  // The session's threads end with the viewer; nothing may then reach it.
  m_connectedClock.Stop();
  // The frame's closing moves the focus once more; the viewer is gone by then.
  m_frame->View().SetHandlers({});
  m_core.reset();
  m_thread.Close();
}

void ViewerWindow::Show() {
  if (m_setup.windowPos) {
    const platform::Size screen = m_view.LocalScreenSize().value_or(platform::Size{1024, 768});
    const platform::Rect place = settings::ClampWindowPos(*m_setup.windowPos, screen);
    m_frame->show();
    m_view.MoveMainWindow(place);
  } else {
    m_frame->show();
  }
  // Without a window manager nobody else gives the new window the keyboard.
  m_frame->activateWindow();
  m_frame->View().setFocus();
  m_deliveredSize = {m_frame->View().width(), m_frame->View().height()};
  try {
    m_core->Start();
  } catch (const TextError& e) {
    m_dialogs.ShowError("Unable to start the application.",
                        "Failure in OnInitialUpdate(), could not start the app.\n" + e.Text());
  }
  FillChoiceBoxes();
  UpdateMenuMarks();
  ShowStatus("Idle");
  if (m_setup.connectTo) {
    // The menu bar goes for the whole run; Connect reaches the same unit again.
    m_commandLineConnect = true;
    m_frame->SetMenuBarRemoved(true);
    m_thread.Post([this] { RunConnectProgress(m_setup.connectTo); });
  } else {
    settings::AddressBook book;
    book.ReadFromINI(m_core->Ini());
    if (settings::HoldsOnlyFirstRunEntry(book)) {
      ShowStatus("No unit yet: Connect > Connect To... reaches one by its address.");
      AskForUnitAddress();
    }
  }
}

void ViewerWindow::OnLinkEnded(const std::string& status) {
  (void)status;  // the session has shown it already
  m_connectedClock.Stop();
  ShowStatus("Idle");
  m_frame->View().update();
  UpdateMenuMarks();
}

// A long text already worded for the operator ("--") goes in a plain box.
void ViewerWindow::OnFailure(const session::FailureReport& failure) {
  ShowStatus("Failure: " + failure.title);
  Trace("Connect failed.\n");
  if (failure.text.rfind("--", 0) == 0)
    m_dialogs.MessageBox(m_setup.productName, failure.text.substr(2), platform::DialogButtons::Ok,
                         platform::DialogIcon::None);
  else
    m_dialogs.ShowError(failure.title, failure.text);
}

void ViewerWindow::OnConnecting(const std::string& progress) { ShowStatus(progress); }

void ViewerWindow::OnConnected() {
  ShowStatus("Connected.");
  m_core->Bitmap().FillBmp(0, 0, 0, -1, 0, 0, 0);
  m_view.Invalidate(std::nullopt, false);
  m_frame->View().repaint();
  Trace("You are in.\n");
  m_dialogs.SetVersionTexts(
      {m_setup.productName, m_setup.viewerVersion, m_core->Connector().Negotiated().unitVersion});
  m_connectedClock.Start(CONNECTED_CLOCK_MS, [this] { ShowConnectedTime(); });
  UpdateMenuMarks();
}

void ViewerWindow::ShowConnectedTime() {
  UpdateEnabledCommands();
  if (!m_core->Session().IsLoggedIn()) return;
  const int64_t seconds =
      std::max<int64_t>(0, platform::CalendarSeconds() - m_core->Login().LoginTime());
  char text[32];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d", static_cast<int>(seconds / 3600),
                static_cast<int>(seconds / 60 % 60), static_cast<int>(seconds % 60));
  m_view.SetStatusText(STATUS_PANE_CLOCK, text);
}

void ViewerWindow::OnConnectStarted() { m_view.SetStatusText(STATUS_PANE_CLOCK, "00:00:00"); }

void ViewerWindow::OnDisconnecting() { m_frame->SetChecked(ID_VIEW_SINGLE, true); }

void ViewerWindow::ShowStatus(const std::string& text) {
  m_view.SetStatusText(STATUS_PANE_MESSAGE, text);
}

void ViewerWindow::Paint(QPainter& painter) {
  session::Session& session = m_core->Session();
  try {
    m_painter->PaintWindow(session.IsConnected(), session.TargetLocation(),
                           [&](const view::PaintPlan& plan, const video::PixelView& pixels) {
                             DrawPaintPlan(painter, plan, pixels);
                           });
  } catch (const TextError& e) {
    Trace("%s\n", e.Text().c_str());
  }
}

// The view's new size reaches the geometry once the layout has settled, not
// from inside the resize that a scroll bar's showing causes.
void ViewerWindow::DeliverViewSize() {
  if (m_sizePending) return;
  m_sizePending = true;
  QTimer::singleShot(0, m_frame.get(), [this] {
    m_sizePending = false;
    const platform::Size size{m_frame->View().width(), m_frame->View().height()};
    if (size == m_deliveredSize || !m_core) return;
    m_deliveredSize = size;
    try {
      m_core->OnViewSize(size);
    } catch (const TextError& e) {
      Trace("%s\n", e.Text().c_str());
    }
  });
}

bool ViewerWindow::OnKey(const QKeyEvent& event, bool down) {
  // A repeat's release is no release: the key is still held.
  if (!down && event.isAutoRepeat()) return true;
  KeyEventFacts facts;
  facts.xKeycode = event.nativeScanCode();
  facts.down = down;
  facts.autoRepeat = event.isAutoRepeat();
  facts.numLock = (m_keyboard.LockLights() & platform::LOCK_NUM) != 0;
  facts.altHeld = (event.modifiers() & Qt::AltModifier) != 0;
  std::optional<input::KeyEvent> key = TranslateKey(facts);
  if (!key) return false;
  const int virtualKey = static_cast<int>(key->virtualKey);
  m_keyboard.NoteKey(virtualKey, down);
  key->grabbed =
      m_keyboard.IsGrabbed() &&
      IsHookedKey(virtualKey, facts.altHeld, (event.modifiers() & Qt::ControlModifier) != 0);
  m_core->HandleKey(*key);
  // A hotkey may have begun or ended pass-through.
  m_frame->SetPassThroughIndicator(m_core->Keyboard().IsPassthru());
  return true;
}

void ViewerWindow::OnFocus(bool focused) { m_core->HandleFocus(focused); }

void ViewerWindow::OnScroll(bool vertical, int action, int position) {
  const platform::ScrollBar bar =
      vertical ? platform::ScrollBar::Vertical : platform::ScrollBar::Horizontal;
  view::ScrollAction scroll = view::ScrollAction::Track;
  switch (action) {
    case QAbstractSlider::SliderSingleStepAdd:
      scroll = view::ScrollAction::LineDown;
      break;
    case QAbstractSlider::SliderSingleStepSub:
      scroll = view::ScrollAction::LineUp;
      break;
    case QAbstractSlider::SliderPageStepAdd:
      scroll = view::ScrollAction::PageDown;
      break;
    case QAbstractSlider::SliderPageStepSub:
      scroll = view::ScrollAction::PageUp;
      break;
    case QAbstractSlider::SliderToMinimum:
      scroll = view::ScrollAction::ToMinimum;
      break;
    case QAbstractSlider::SliderToMaximum:
      scroll = view::ScrollAction::ToMaximum;
      break;
    default:
      break;
  }
  try {
    m_core->Geometry().Scroll(bar, scroll, position);
  } catch (const TextError& e) {
    Trace("%s\n", e.Text().c_str());
  }
}

void ViewerWindow::UpdateMenuMarks() {
  const view::ViewGeometry& geometry = m_core->Geometry();
  m_frame->SetChecked(geometry.IsScaled() ? ID_VIEW_SCALED : ID_VIEW_SCROLLED, true);
  m_frame->SetChecked(geometry.IsQuadView() ? ID_VIEW_QUAD : ID_VIEW_SINGLE, true);
  for (int box = SINGLE_SERVER_BOX + 1; box < SERVER_BOXES; ++box)
    m_frame->ServerBox(box).setEnabled(geometry.IsQuadView());
  // An unrecognised mode is marked as colour, though it sends no valid levels.
  uint32_t rendering = video::ID_VIEW_COLOR;
  for (const video::RenderingMode& mode : video::RenderingModes())
    if (mode.name == m_core->Rendering().CurrentMode()) rendering = mode.commandId;
  m_frame->SetChecked(rendering, true);
  UpdateEnabledCommands();
  m_frame->SetChecked(ID_VIEW_AUTO_SIZE, geometry.Options().AutoSize());
  m_frame->SetChecked(ID_VIEW_DONT_ENLARGE, geometry.Options().DontEnlarge());
  m_frame->SetChecked(ID_VIEW_PASS_THROUGH, m_core->Keyboard().IsPassthru());
  const bool remote = m_core->Keyboard().Settings().sysKeysToRemote;
  m_frame->SetChecked(remote ? ID_SYS_KEYS_REMOTE : ID_SYS_KEYS_LOCAL, true);
  settings::IniFile& ini = m_core->Ini();
  const input::ExitMethods exits = input::ReadExitMethods(ini);
  m_frame->SetChecked(ID_EXIT_BY_HOTKEY, exits.hotkey);
  m_frame->SetChecked(ID_EXIT_BY_FAST_MOUSE, exits.fastMouse);
  m_frame->SetChecked(ID_EXIT_BY_SLOW_MOUSE, exits.slowMouse);
  m_frame->SetChecked(ID_TEACH_FULL_SCREEN, settings::ReadTeachFlag(ini, TEACH_FULL_SCREEN));
  m_frame->SetChecked(ID_TEACH_PASS_THROUGH, settings::ReadTeachFlag(ini, TEACH_PASS_THROUGH));
}

void ViewerWindow::RunConnectProgress(const std::optional<std::string>& address) {
  core::ViewerCore& core = *m_core;
  ConnectProgressDialog dialog(
      m_frame.get(), core.Connector(), core.Session(), [&core, address](auto& progress) {
        if (address) {
          core.Connect(address);
          return;
        }
        settings::IniFile& ini = core.Ini();
        const int selection = std::atoi(settings::ReadMisc(ini, "CURRSEL").c_str());
        core.Session().Failure().BeginAttempt();
        progress.Open(selection, settings::ReadMisc(ini, "CURRSELTEXT"));
      });
  if (const std::optional<std::string> title = dialog.Run())
    m_frame->setWindowTitle(QString::fromStdString(*title));
}

void ViewerWindow::ShowAbout() {
  std::string text = m_setup.productName + " Viewer\n" + m_setup.viewerVersion;
  const std::string unit = m_core->Connector().Negotiated().unitVersion;
  if (!unit.empty())
    text += "\n\nVersion of the last " + m_setup.productName + " connected:\n" +
            unit.substr(0, unit.find(' '));
  QMessageBox::about(m_frame.get(),
                     QString::fromStdString("About " + m_setup.productName + " Viewer"),
                     QString::fromStdString(text));
}

// The remote key commands and the one-to-one view need a logged-in single view.
void ViewerWindow::UpdateEnabledCommands() {
  m_frame->SetPassThroughIndicator(m_core->Keyboard().IsPassthru());
  const bool connected = m_core->Session().IsConnected();
  m_frame->SetEnabled(ID_CONNECT, !connected);
  m_frame->SetEnabled(ID_CONNECT_TO, !connected && !m_commandLineConnect);
  m_frame->SetEnabled(ID_DISCONNECT, connected);
  const bool allowed = m_core->Session().IsLoggedIn() && !m_core->Geometry().IsQuadView();
  for (uint32_t id :
       {ID_REMOTE_ALT_TAB, ID_REMOTE_CTRL_ALT_DEL, ID_VIEW_ONE_TO_ONE, ID_TEST_ALT_TAB})
    m_frame->SetEnabled(id, allowed);
}

void ViewerWindow::ToggleFullScreen() {
  try {
    m_fullScreen->Toggle();
  } catch (const TextError& e) {
    m_dialogs.ShowError("Error in OnVIEWFullScreen()\n", e.Text());
  }
  UpdateMenuMarks();
}

void ViewerWindow::FillChoiceBoxes() {
  settings::AddressBook book;
  book.ReadFromINI(m_core->Ini());
  FillTargetBox(m_frame->TargetBox(), book);
  const settings::AddressEntry target = m_core->Connector().CurrentTarget();
  const std::vector<int> servers = ServersOf(target.Quad().servers);
  const std::string section = target.SectionName();
  for (int box = 0; box < SERVER_BOXES; ++box) {
    const int quadrant = box == SINGLE_SERVER_BOX ? 0 : box - 1;
    const int current = settings::LeadingInt(
        m_core->Ini().Read(section, "QUADRANT_" + std::to_string(quadrant), "0", 20));
    FillServerBox(m_frame->ServerBox(box), servers, current);
  }
}

void ViewerWindow::OnTargetChosen(int index) {
  Trace("Event associated with combo box for selecting a orb fired\n");
  const std::string location = m_frame->TargetBox().itemText(index).toStdString();
  try {
    m_core->Connector().SelectUnit(index, location);
  } catch (const TextError& e) {
    m_dialogs.ShowError("Unable to select the unit", e.Text());
  }
  FillChoiceBoxes();
  m_frame->View().update();
}

// Not modal: the window stays usable, and a first start is not held up by it.
void ViewerWindow::AskForUnitAddress() {
  auto* dialog = new QInputDialog(m_frame.get());
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->setWindowTitle(QString::fromStdString("Connect To - " + m_setup.productName));
  dialog->setLabelText(
      "Address of the unit (a host name or an IP address, with :port when not 5678).\n"
      "It is kept in the address book for the next time.");
  QObject::connect(dialog, &QInputDialog::textValueSelected, m_frame.get(),
                   [this](const QString& typed) {
                     if (m_core->Session().IsConnected()) return;
                     try {
                       const int index = settings::RememberUnit(m_core->Ini(), typed.toStdString());
                       settings::AddressBook book;
                       book.ReadFromINI(m_core->Ini());
                       m_core->Connector().SelectUnit(index, book.Item(index).Location());
                     } catch (const TextError& e) {
                       m_dialogs.MessageBox("Connect To", e.Text(), platform::DialogButtons::Ok,
                                            platform::DialogIcon::Warning);
                       return;
                     }
                     FillChoiceBoxes();
                     m_frame->View().update();
                     RunConnectProgress(std::nullopt);
                     UpdateMenuMarks();
                   });
  dialog->open();
}

void ViewerWindow::OnServerChosen(int box, int index) {
  view::ViewGeometry& geometry = m_core->Geometry();
  const int server = m_frame->ServerBox(box).itemData(index).toInt();
  if (box == SINGLE_SERVER_BOX) {
    Trace("Changing server selected in single screen mode.\n");
    geometry.Servers().WriteActiveServerForThisQuadrant(0, server);
    geometry.Servers().OnViewQuadOrSingle(ID_VIEW_SINGLE);
  } else {
    const int quadrant = box - 1;
    Trace("nSelection = %d   ItemData = %d   nQuadrant = %d\n", index, server, quadrant);
    geometry.Servers().WriteActiveServerForThisQuadrant(quadrant, server);
    geometry.Servers().OnViewQuadOrSingle(ID_VIEW_QUAD);
  }
  FillChoiceBoxes();
  UpdateMenuMarks();
}

// The diagnostics; false for an id that is none of them.
bool ViewerWindow::OnDebugCommand(uint32_t id) {
  session::Session& session = m_core->Session();
  for (const GrabSource& source : GRAB_SOURCES)
    if (source.id == id) {
      PacketHeader grab(GRAB_SOURCE, source.subtype);
      session.SendPacket(grab);
      return true;
    }
  switch (id) {
    case ID_ASSESS_THROUGHPUT:
      session::SendTimingPacket(session);
      return true;
    case ID_FORCE_LOW_SPEED:
    case ID_FORCE_HIGH_SPEED:
      try {
        session::SendObservedRate(session,
                                  id == ID_FORCE_LOW_SPEED ? LOW_SPEED_RATE : HIGH_SPEED_RATE);
      } catch (const TextError& e) {
        throw TextError((id == ID_FORCE_LOW_SPEED ? "In OnActionsLielowspeed()\n"
                                                  : "OnActionsLiehighspeed()\n") +
                        e.Text());
      }
      return true;
    case video::ID_MAKE_COLOR_TABLE_DYNAMIC:
      video::MakeColorCube(video::COLOR_CUBE_DEMO_COLORS);
      return true;
    case video::ID_COLOR_REDUCTION: {
      ColorReductionDialog dialog(m_frame.get());
      if (dialog.exec() == QDialog::Accepted)
        video::SendColorReduction(session, dialog.SnapValue(), dialog.NumColors());
      return true;
    }
    case ID_TUNE_VIDEO: {
      TuneVideoDialog dialog(m_frame.get(), session, [&session] { return session.IsConnected(); });
      dialog.exec();
      return true;
    }
    case ID_TEST_ERROR_DIALOG:
      m_dialogs.ShowError("This is a test of the error dialog.",
                          "Error occured in OnTestErrorDialog().\nNothing is wrong.");
      return true;
    case ID_ABOUT_DETAILED:
      m_dialogs.ShowText("About " + m_setup.productName + " Viewer",
                         m_setup.productName + " Viewer version: " + m_setup.viewerVersion +
                             "\nVersion of the last " + m_setup.productName +
                             " connected: " + m_core->Connector().Negotiated().unitVersion);
      return true;
    case ID_TEST_ALT_TAB:
      m_core->Keyboard().SendAltTab();
      return true;
    default:
      return false;
  }
}

void ViewerWindow::PasteClipboard() {
  const QMimeData* data = QGuiApplication::clipboard()->mimeData(QClipboard::Clipboard);
  const std::string text = data && data->hasText() ? data->text().toStdString() : std::string();
  if (text.empty()) {
    m_dialogs.MessageBox("Paste as Keystrokes",
                         "The clipboard holds no text to type. Copy some text first.",
                         platform::DialogButtons::Ok, platform::DialogIcon::Information);
    return;
  }
  PasteAsKeystrokes(m_frame.get(), *m_core, m_dialogs, "Paste as Keystrokes", text,
                    [this](int virtualKey, bool down) { m_keyboard.NoteKey(virtualKey, down); });
}

// Copied under the frame buffer's lock, so a picture half decoded is never taken.
void ViewerWindow::CopyScreen() {
  const QImage image = m_core->Bitmap().ReadPixels([](const video::PixelView& pixels) {
    return CopyPixels(pixels, {0, 0, pixels.width, pixels.height});
  });
  if (image.isNull()) return;
  QGuiApplication::clipboard()->setImage(image);
}

void ViewerWindow::OpenHelp() {
  if (!ShowHelp(m_frame.get(), m_setup.productName, m_setup.helpFile))
    m_dialogs.MessageBox(m_setup.productName, "Failed to created help window",
                         platform::DialogButtons::Ok, platform::DialogIcon::Warning);
}

void ViewerWindow::OnCommand(uint32_t id) {
  core::ViewerCore& core = *m_core;
  view::ViewGeometry& geometry = core.Geometry();
  try {
    switch (id) {
      case ID_FILE_SAVE_BITMAP:
        video::SaveBitmap(core.Bitmap(), core.Session().IsConnected(), m_dialogs);
        break;
      case ID_FILE_FLASH_UPDATE:
        FlashDialog(m_frame.get(), core.Session(), m_dialogs, m_setup.productName).Run();
        break;
      case ID_APP_EXIT:
        m_frame->close();
        break;
      case ID_CONNECT:
        if (!core.Session().IsConnected())
          RunConnectProgress(m_commandLineConnect ? m_setup.connectTo : std::nullopt);
        break;
      case ID_CONNECT_TO:
        AskForUnitAddress();
        break;
      case ID_DISCONNECT:
        core.Session().Disconnect(true);
        m_frame->SetChecked(ID_VIEW_SINGLE, true);
        break;
      case ID_VIEW_SCALED:
      case ID_VIEW_SCROLLED:
        geometry.OnViewType(id);
        break;
      case ID_VIEW_SINGLE:
      case ID_VIEW_QUAD:
        geometry.Servers().OnViewQuadOrSingle(id);
        break;
      case ID_VIEW_AUTO_SIZE:
        geometry.Options().ToggleAutoSize();
        break;
      case ID_VIEW_DONT_ENLARGE:
        geometry.Options().ToggleDontEnlarge();
        break;
      case ID_VIEW_TOOLBAR:
        m_frame->SetToolBarsVisible(m_frame->Action(id)->isChecked());
        break;
      case ID_VIEW_STATUS_BAR:
        m_frame->statusBar()->setVisible(m_frame->Action(id)->isChecked());
        break;
      case ID_VIEW_ONE_TO_ONE:
        geometry.OnACTIONSOneToOne();
        break;
      case ID_VIEW_REFRESH:
        if (core.Session().IsConnected()) {
          PacketHeader repaint(REPAINT, 0);
          core.Session().SendPacket(repaint, {});
        }
        break;
      case ID_VIEW_PASS_THROUGH:
        core.Keyboard().OnACTIONSPassThrough();
        break;
      case ID_VIEW_TOPMOST: {
        const bool topmost = m_frame->Action(id)->isChecked();
        m_view.SetMainWindowTopmost(topmost);
        settings::WriteMisc(core.Ini(), "TopMost", topmost ? "True" : "False");
        break;
      }
      case ID_REMOTE_ALT_TAB:
        core.Keyboard().SendAltTab();
        break;
      case ID_REMOTE_CTRL_ALT_DEL:
        core.Keyboard().SendCtrlAltDel();
        break;
      case ID_SYS_KEYS_REMOTE:
      case ID_SYS_KEYS_LOCAL:
        core.Keyboard().SetSysKeysToRemote(id == ID_SYS_KEYS_REMOTE);
        break;
      case ID_EXIT_BY_HOTKEY:
        core.Keyboard().ToggleExitMethod(input::ExitMethod::Hotkey);
        break;
      case ID_EXIT_BY_FAST_MOUSE:
        core.Keyboard().ToggleExitMethod(input::ExitMethod::FastMouse);
        break;
      case ID_EXIT_BY_SLOW_MOUSE:
        core.Keyboard().ToggleExitMethod(input::ExitMethod::SlowMouse);
        break;
      case ID_TEACH_FULL_SCREEN:
      case ID_TEACH_PASS_THROUGH: {
        settings::ToggleTeachFlag(
            core.Ini(), id == ID_TEACH_FULL_SCREEN ? TEACH_FULL_SCREEN : TEACH_PASS_THROUGH,
            settings::TEACH_FAILURE_COMMAND);
        break;
      }
      case ID_REPAINT_LOCALLY:
        core.Bitmap().Repaint().MarkAllDirty();
        m_view.Invalidate(std::nullopt, false);
        break;
      case ID_SETTINGS_CONNECTIONS:
      case ID_SETTINGS_KEYBOARD_MOUSE:
      case ID_SETTINGS_SECURITY:
      case ID_SETTINGS_SWITCH:
      case ID_SETTINGS_POWER_STRIP:
        RunPreferences(m_frame.get(), core, m_dialogs, id, m_setup.switchModels);
        // The next Connect, the unit box and the view's text follow the
        // selection the sheet left.
        if (!core.Session().IsConnected())
          core.Connector().SelectUnit(std::atoi(settings::ReadMisc(core.Ini(), "CURRSEL").c_str()),
                                      settings::ReadMisc(core.Ini(), "CURRSELTEXT"));
        FillChoiceBoxes();
        m_frame->View().update();
        break;
      case ID_HELP_WEB:
        if (!QDesktopServices::openUrl(QUrl(QString::fromStdString(m_setup.webPage))))
          m_dialogs.MessageBox(m_setup.productName, "Could not start your web browser.",
                               platform::DialogButtons::Ok, platform::DialogIcon::Warning);
        break;
      case ID_APP_ABOUT:
        ShowAbout();
        break;
      case ID_HELP_TOPICS:
        OpenHelp();
        break;
      case ID_VIEW_FULL_SCREEN:
        ToggleFullScreen();
        break;
      case ID_EDIT_PASTE_KEYSTROKES:
        PasteClipboard();
        break;
      case ID_EDIT_COPY_SCREEN:
        CopyScreen();
        break;
      case video::ID_VIEW_COLOR:
      case video::ID_VIEW_GRAY:
      case video::ID_VIEW_256_COLOR:
      case video::ID_VIEW_PROGRESSIVE_GREY_TO_COLOR:
      case video::ID_VIEW_PROGRESSIVE_BW_TO_COLOR:
      case video::ID_VIEW_PROGRESSIVE_BW_TO_GREY:
        try {
          core.Rendering().OnViewProgressiveRendering(id, core.Session().IsConnected());
        } catch (const TextError& e) {
          m_dialogs.ShowError(video::RENDERING_PROBLEM_TEXT, e.Text());
        }
        break;
      default:
        OnDebugCommand(id);
        break;
    }
  } catch (const TextError& e) {
    m_dialogs.ShowError("The command failed.", e.Text());
  }
  // The Settings sheet may have changed the address book or the target.
  FillChoiceBoxes();
  UpdateMenuMarks();
}

}  // namespace ui

#include "ui/MainFrame.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QKeySequence>
#include <QLabel>
#include <QMenuBar>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QScrollBar>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

#include "ui/Commands.h"
#include "video/ColorAnalysis.h"
#include "video/ColorModes.h"

namespace ui {

MainFrame::MainFrame(const std::string& productName) {
  BuildCentre();
  BuildMenus(productName);
  BuildToolBars();
  BuildChoiceBar();
  BuildStatusBar();
}

void MainFrame::BuildCentre() {
  auto* centre = new QWidget(this);
  auto* grid = new QGridLayout(centre);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->setSpacing(0);
  m_view = new ViewWidget(centre);
  m_horizontal = new QScrollBar(Qt::Horizontal, centre);
  m_vertical = new QScrollBar(Qt::Vertical, centre);
  m_horizontal->hide();
  m_vertical->hide();
  grid->addWidget(m_view, 0, 0);
  grid->addWidget(m_vertical, 0, 1);
  grid->addWidget(m_horizontal, 1, 0);
  setCentralWidget(centre);
  for (QScrollBar* bar : {m_horizontal, m_vertical}) {
    const bool vertical = bar == m_vertical;
    connect(bar, &QScrollBar::actionTriggered, this, [this, bar, vertical](int action) {
      if (m_onScroll) m_onScroll(vertical, action, bar->sliderPosition());
    });
  }
}

QAction* MainFrame::CommandAction(uint32_t id, const QString& label, const QString& prompt) {
  auto* action = new QAction(label, this);
  action->setStatusTip(prompt);
  connect(action, &QAction::triggered, this, [this, id] {
    if (m_onCommand) m_onCommand(id);
  });
  return action;
}

QAction* MainFrame::AddCommand(QMenu* menu, uint32_t id, const QString& label,
                               const QString& prompt, bool checkable) {
  QAction* action = CommandAction(id, label, prompt);
  action->setCheckable(checkable);
  if (menu) menu->addAction(action);
  // Shortcuts keep working with the menu bar removed or in full screen; in
  // pass-through the view claims every key for the remote computer.
  addAction(action);
  m_actions[id] = action;
  return action;
}

void MainFrame::BuildMenus(const std::string& productName) {
  const QString product = QString::fromStdString(productName);
  QMenu* file = menuBar()->addMenu("&File");
  AddCommand(file, ID_FILE_SAVE_BITMAP, "&Save Bitmap...", "Save the remote screen to a file.");
  AddCommand(file, ID_FILE_FLASH_UPDATE, "Flash &Update...", "Send a firmware image to the unit.");
  file->addSeparator();
  AddCommand(file, ID_APP_EXIT, "E&xit", "Quit the application.")
      ->setShortcuts({QKeySequence("Ctrl+Q"), QKeySequence("Alt+F4")});

  QMenu* edit = menuBar()->addMenu("&Edit");
  AddCommand(edit, ID_EDIT_PASTE_KEYSTROKES, "Paste as &Keystrokes",
             "Type the clipboard's text on the remote computer.")
      ->setShortcut(QKeySequence("Ctrl+Shift+V"));
  AddCommand(edit, ID_EDIT_COPY_SCREEN, "&Copy Screen",
             "Put the remote screen on the clipboard as a picture.");

  QMenu* connection = menuBar()->addMenu("&Connect");
  AddCommand(connection, ID_CONNECT, "&Connect", "Connect to the selected unit.")
      ->setShortcut(QKeySequence("Ctrl+Shift+C"));
  AddCommand(connection, ID_CONNECT_TO, "Connect &To...",
             "Connect to a unit by its address and remember it.");
  AddCommand(connection, ID_DISCONNECT, "&Disconnect", "Disconnect from the unit.")
      ->setShortcut(QKeySequence("Ctrl+Shift+D"));

  QMenu* view = menuBar()->addMenu("&View");
  auto* types = new QActionGroup(this);
  types->addAction(AddCommand(view, ID_VIEW_SCROLLED, "S&crolled",
                              "Show the remote screen at its size, with scroll bars.", true));
  types->addAction(
      AddCommand(view, ID_VIEW_SCALED, "&Scaled", "Fit the remote screen to the window.", true));
  AddCommand(view, ID_VIEW_DONT_ENLARGE, "    Don't Enlarge",
             "Never show the remote screen larger than it is.", true);
  AddCommand(view, ID_VIEW_AUTO_SIZE, "&Auto Size", "Size the window to the remote screen.", true);
  view->addSeparator();
  auto* quad = new QActionGroup(this);
  quad->addAction(AddCommand(view, ID_VIEW_SINGLE, "S&ingle", "Show one server.", true));
  quad->addAction(AddCommand(view, ID_VIEW_QUAD, "&Quad", "Show four servers at once.", true));
  view->addSeparator();
  auto* rendering = new QActionGroup(this);
  for (const video::RenderingMode& mode : video::RenderingModes())
    rendering->addAction(AddCommand(
        view, mode.commandId, QString::fromUtf8(mode.menuText),
        "Render the remote screen as " + QString::fromUtf8(mode.name).toLower() + ".", true));
  view->addSeparator();
  AddCommand(view, ID_VIEW_TOOLBAR, "&Toolbar", "Show or hide the toolbar.", true)
      ->setChecked(true);
  AddCommand(view, ID_VIEW_STATUS_BAR, "Status &Bar", "Show or hide the status bar.", true)
      ->setChecked(true);
  view->addSeparator();
  AddCommand(view, ID_VIEW_ONE_TO_ONE, "Auto Si&ze Now",
             "Immediately show the remote computer at 100% size and resize the Viewer.");
  AddCommand(view, ID_VIEW_FULL_SCREEN, "&Full Screen", "Show the remote screen full screen.");
  AddCommand(view, ID_VIEW_REFRESH, "R&efresh", "Ask the unit to send the whole picture again.");
  AddCommand(view, ID_VIEW_PASS_THROUGH, "&Pass-through",
             "Send every key and mouse movement to the remote computer.", true);
  AddCommand(view, ID_VIEW_TOPMOST, "Always On Top", "Keep the viewer above other windows.", true);

  QMenu* shortcuts = menuBar()->addMenu("&Shortcuts");
  AddCommand(shortcuts, ID_REMOTE_ALT_TAB, "Issue Remote  &Alt+Tab",
             "Send Alt+Tab to the remote computer.");
  AddCommand(shortcuts, ID_REMOTE_CTRL_ALT_DEL, "Issue Remote &Ctrl+Alt+Del",
             "Send Ctrl+Alt+Del to the remote computer.");
  shortcuts->addSeparator();
  auto* sysKeys = new QActionGroup(this);
  sysKeys->addAction(AddCommand(shortcuts, ID_SYS_KEYS_REMOTE, "System Keys &Remote",
                                "System keys go to the remote computer.", true));
  sysKeys->addAction(AddCommand(shortcuts, ID_SYS_KEYS_LOCAL, "System Keys &Local",
                                "System keys stay on this computer.", true));

  shortcuts->addSeparator();
  AddCommand(shortcuts, ID_EXIT_BY_HOTKEY, "&Hotkey To Exit Pass-through",
             "Leave pass-through with the pass-through hotkey.", true);
  AddCommand(shortcuts, ID_EXIT_BY_FAST_MOUSE, "&Fast Mouse To Exit Pass-through",
             "Leave pass-through with a burst of fast mouse movement.", true);
  AddCommand(shortcuts, ID_EXIT_BY_SLOW_MOUSE, "&Slow Mouse To Exit Pass-through",
             "Leave pass-through with a long mouse movement in one direction.", true);

  QMenu* preferences = menuBar()->addMenu("Se&ttings");
  AddCommand(preferences, ID_SETTINGS_CONNECTIONS, "&Connections...",
             "Edit the address book of units.");
  AddCommand(preferences, ID_SETTINGS_KEYBOARD_MOUSE, "&Keyboard and Mouse...",
             "Choose the hotkeys and how pass-through is left.");
  AddCommand(preferences, ID_SETTINGS_SECURITY, "&Security...",
             "Edit the unit's login accounts (administrators only).");
  AddCommand(preferences, ID_SETTINGS_SWITCH, "Remote KVM S&witch...",
             "Edit the unit's table of KVM switch ports (administrators only).");
  AddCommand(preferences, ID_SETTINGS_POWER_STRIP, "&Power Strip...",
             "Edit the power strip profile and switch outlets (administrators only).");

  QMenu* debug = menuBar()->addMenu("Debug");
  AddCommand(debug, ID_ASSESS_THROUGHPUT, "Assess connection throughput",
             "Measure the line speed the unit compresses for.");
  AddCommand(debug, ID_FORCE_LOW_SPEED, "Force low speed mode", "Tell the unit the line is slow.");
  AddCommand(debug, ID_FORCE_HIGH_SPEED, "Force high speed mode",
             "Tell the unit the line is fast.");
  // The View menu's Refresh, under the Debug menu's own name.
  debug->addAction(CommandAction(ID_VIEW_REFRESH, "Resend from " + product,
                                 "Ask the unit to send the whole picture again."));
  AddCommand(debug, ID_REPAINT_LOCALLY, "Re&paint Locally only",
             "Repaint the whole view from the picture in memory.");
  debug->addSeparator();
  AddCommand(debug, ID_VIDEO_FROM_GRAB, "VideoFromGrab", "Video from the grabber.");
  AddCommand(debug, ID_VIDEO_RED_SCREEN, "VideoRedScreen", "A red test screen.");
  AddCommand(debug, ID_VIDEO_RED_SCREEN_FLASH_BOX, "VideoRedScreenWFlashBox",
             "A red test screen with a flashing box.");
  AddCommand(debug, ID_VIDEO_FROM_X, "VideoFromX", "Video from the X source.");
  debug->addSeparator();
  AddCommand(debug, video::ID_MAKE_COLOR_TABLE_DYNAMIC, "MakeColorTableDynamic",
             "Trace the colour cube for ten colours.");
  AddCommand(debug, video::ID_COLOR_REDUCTION, "ColorReduction", "Ask the unit for fewer colours.");
  AddCommand(debug, ID_TUNE_VIDEO, "TuneVideo", "Tune the unit's video phase.");
  debug->addSeparator();
  AddCommand(debug, ID_TEST_ERROR_DIALOG, "TestErrorDialog", "Show the error dialog.");
  AddCommand(debug, ID_ABOUT_DETAILED, "AboutBox - Detailed Version", "Show the versions in full.");
  AddCommand(debug, ID_TEST_ALT_TAB, "TestAltTab", "Send Alt+Tab to the remote computer.");
  debug->addSeparator();
  for (uint32_t id :
       {video::ID_VIEW_PROGRESSIVE_GREY_TO_COLOR, video::ID_VIEW_PROGRESSIVE_BW_TO_COLOR,
        video::ID_VIEW_PROGRESSIVE_BW_TO_GREY})
    debug->addAction(m_actions.at(id));

  QMenu* help = menuBar()->addMenu("&Help");
  AddCommand(help, ID_HELP_TOPICS, "&Help Topics", "Open the viewer's manual.");
  AddCommand(help, ID_HELP_WEB, product + " &Web Support", "Open the product's web page.");
  help->addSeparator();
  AddCommand(help, ID_TEACH_FULL_SCREEN, "F&ull Screen Warning",
             "Explain how to leave full screen each time it is entered.", true);
  AddCommand(help, ID_TEACH_PASS_THROUGH, "Pass-through &Warning",
             "Explain how to leave pass-through each time it is entered.", true);
  help->addSeparator();
  AddCommand(help, ID_APP_ABOUT, "&About " + product + " Viewer", "Show the program's version.");
}

void MainFrame::BuildToolBars() {
  QToolBar* main = addToolBar("Main");
  for (uint32_t id : {ID_FILE_SAVE_BITMAP, ID_CONNECT, ID_DISCONNECT, ID_VIEW_FULL_SCREEN,
                      ID_VIEW_ONE_TO_ONE, ID_REMOTE_CTRL_ALT_DEL, ID_VIEW_REFRESH})
    main->addAction(m_actions.at(id));
  m_toolBars.push_back(main);
}

// Choices made with the mouse only: a box filled by the program tells nobody,
// and the keyboard stays with the view, where typed keys go to the unit.
void MainFrame::BuildChoiceBar() {
  QToolBar* bar = addToolBar("Units");
  m_targetBox = new QComboBox(bar);
  m_targetBox->setFocusPolicy(Qt::NoFocus);
  m_targetBox->setToolTip("The unit the next Connect reaches.");
  m_targetBox->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  bar->addWidget(m_targetBox);
  connect(m_targetBox, &QComboBox::activated, this, [this](int index) {
    if (m_onTarget) m_onTarget(0, index);
  });
  bar->addSeparator();
  for (int box = 0; box < SERVER_BOXES; ++box) {
    auto* combo = new QComboBox(bar);
    combo->setFocusPolicy(Qt::NoFocus);
    combo->setToolTip(box == SINGLE_SERVER_BOX
                          ? QString("The server of the single view.")
                          : QString("The server of quadrant %1 of the quad view.").arg(box - 1));
    combo->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    bar->addWidget(combo);
    connect(combo, &QComboBox::activated, this, [this, box](int index) {
      if (m_onServer) m_onServer(box, index);
    });
    m_serverBoxes.push_back(combo);
  }
  m_toolBars.push_back(bar);
}

void MainFrame::BuildStatusBar() {
  // A label of its own, left of the text panes, so no status text replaces it.
  m_passThroughIndicator = new QLabel(this);
  m_passThroughIndicator->setFixedSize(17, 17);
  m_passThroughIndicator->setAlignment(Qt::AlignCenter);
  statusBar()->addPermanentWidget(m_passThroughIndicator, 0);
  for (int pane = 0; pane < STATUS_PANES; ++pane) {
    auto* label = new QLabel(this);
    statusBar()->addPermanentWidget(label, pane == 1 ? 1 : 0);
    m_panes.push_back(label);
  }
}

void MainFrame::SetStatusText(int pane, const QString& text) {
  if (pane >= 0 && pane < STATUS_PANES) m_panes[static_cast<size_t>(pane)]->setText(text);
}

namespace {

// 15 x 15: a green disc while keys and mouse go to the remote computer, a
// grey ring while they stay here. Light enough never to read as status text.
QPixmap PassThroughPicture(bool on) {
  QPixmap picture(15, 15);
  picture.fill(Qt::transparent);
  QPainter painter(&picture);
  painter.setRenderHint(QPainter::Antialiasing);
  if (on) {
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(110, 220, 110));
  } else {
    painter.setPen(QPen(QColor(176, 176, 176), 2));
    painter.setBrush(Qt::NoBrush);
  }
  painter.drawEllipse(QRectF(2, 2, 11, 11));
  return picture;
}

}  // namespace

void MainFrame::SetPassThroughIndicator(bool on) {
  if (m_passThroughShown == on) return;
  m_passThroughShown = on;
  m_passThroughIndicator->setPixmap(PassThroughPicture(on));
  m_passThroughIndicator->setToolTip(
      on ? "Pass-through: keys and mouse go to the remote computer."
         : "Keys and mouse stay on this computer (pass-through is off).");
}

QString MainFrame::PassThroughIndicatorTip() const { return m_passThroughIndicator->toolTip(); }

QString MainFrame::StatusText(int pane) const {
  if (pane < 0 || pane >= STATUS_PANES) return {};
  return m_panes[static_cast<size_t>(pane)]->text();
}

QAction* MainFrame::Action(uint32_t id) const {
  const auto it = m_actions.find(id);
  return it == m_actions.end() ? nullptr : it->second;
}

void MainFrame::SetChecked(uint32_t id, bool checked) {
  if (QAction* action = Action(id)) action->setChecked(checked);
}

void MainFrame::SetEnabled(uint32_t id, bool enabled) {
  if (QAction* action = Action(id)) action->setEnabled(enabled);
}

void MainFrame::SetFullScreenChrome(bool fullScreen) {
  const bool showBars = !fullScreen;
  menuBar()->setVisible(showBars && !m_menuRemoved);
  for (QToolBar* bar : m_toolBars)
    bar->setVisible(showBars && Action(ID_VIEW_TOOLBAR)->isChecked());
  statusBar()->setVisible(showBars && Action(ID_VIEW_STATUS_BAR)->isChecked());
  if (fullScreen) {
    // Without a window manager the full-screen state alone moves nothing; the
    // state comes after, since a later move would take it away again.
    if (QScreen* shown = screen()) setGeometry(shown->geometry());
    showFullScreen();
  } else {
    showNormal();
  }
}

void MainFrame::SetMenuBarRemoved(bool removed) {
  m_menuRemoved = removed;
  menuBar()->setVisible(!removed);
}

void MainFrame::SetToolBarsVisible(bool visible) {
  for (QToolBar* bar : m_toolBars) bar->setVisible(visible);
}

// Without a window manager nobody gives the keyboard back when a dialog
// closes: the main window takes it itself, so its keys and shortcuts work.
bool MainFrame::event(QEvent* event) {
  if (event->type() == QEvent::WindowUnblocked)
    QTimer::singleShot(0, this, [this] {
      const QWidget* active = QApplication::activeWindow();
      // Qt may count this window active already while the server's focus
      // fell back to the root window: only another window of ours keeps it.
      if (QApplication::activeModalWidget() || (active && active != this && active->isVisible()))
        return;
      activateWindow();
      m_view->setFocus();
    });
  return QMainWindow::event(event);
}

void MainFrame::closeEvent(QCloseEvent* event) {
  if (m_onClose && !m_onClose())
    event->ignore();
  else
    event->accept();
}

}  // namespace ui

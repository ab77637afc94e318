#pragma once
// The main window: menus, the two toolbars, the status bar with its panes and
// the view with its scroll bars. It only shows; what a command does is the
// command handler's business, given each command's id.

#include <QMainWindow>
#include <functional>
#include <map>
#include <optional>
#include <vector>

#include "ui/ViewWidget.h"

class QAction;
class QComboBox;
class QLabel;
class QScrollBar;
class QToolBar;

namespace ui {

// Status bar panes, as the core numbers them.
inline constexpr int STATUS_PANES = 4;
// The tool bar's server boxes: the single view's, then one per quadrant.
inline constexpr int SINGLE_SERVER_BOX = 0;
inline constexpr int SERVER_BOXES = 5;

class MainFrame : public QMainWindow {
 public:
  using CommandHandler = std::function<void(uint32_t id)>;
  using ScrollHandler = std::function<void(bool vertical, int action, int position)>;
  // The operator chose an entry of a tool bar box (its index in the box).
  using ChoiceHandler = std::function<void(int box, int index)>;

  explicit MainFrame(const std::string& productName);

  void SetCommandHandler(CommandHandler handler) { m_onCommand = std::move(handler); }
  void SetScrollHandler(ScrollHandler handler) { m_onScroll = std::move(handler); }
  void SetTargetHandler(ChoiceHandler handler) { m_onTarget = std::move(handler); }
  void SetServerHandler(ChoiceHandler handler) { m_onServer = std::move(handler); }
  // Runs when the window is asked to close; false keeps it open.
  void SetCloseHandler(std::function<bool()> handler) { m_onClose = std::move(handler); }

  ViewWidget& View() { return *m_view; }
  QScrollBar& ScrollBar(bool vertical) { return vertical ? *m_vertical : *m_horizontal; }
  // The unit chooser and the server boxes of the tool bar.
  QComboBox& TargetBox() { return *m_targetBox; }
  QComboBox& ServerBox(int box) { return *m_serverBoxes.at(static_cast<size_t>(box)); }
  void SetStatusText(int pane, const QString& text);
  QString StatusText(int pane) const;
  // The status bar's picture of where keys and mouse go, left of its text
  // panes, with its tooltip.
  void SetPassThroughIndicator(bool on);
  QString PassThroughIndicatorTip() const;

  // The command's menu entry and toolbar buttons.
  QAction* Action(uint32_t id) const;
  void SetChecked(uint32_t id, bool checked);
  void SetEnabled(uint32_t id, bool enabled);

  // Full screen: no frame, menus, bars or margins.
  void SetFullScreenChrome(bool fullScreen);
  void SetMenuBarRemoved(bool removed);
  void SetToolBarsVisible(bool visible);
  bool IsMenuBarRemoved() const { return m_menuRemoved; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool event(QEvent* event) override;

 private:
  void BuildMenus(const std::string& productName);
  void BuildToolBars();
  void BuildChoiceBar();
  void BuildStatusBar();
  void BuildCentre();
  // An action that gives the command; AddCommand also makes it the command's own.
  QAction* CommandAction(uint32_t id, const QString& label, const QString& prompt);
  QAction* AddCommand(QMenu* menu, uint32_t id, const QString& label, const QString& prompt,
                      bool checkable = false);

  CommandHandler m_onCommand;
  ScrollHandler m_onScroll;
  ChoiceHandler m_onTarget;
  ChoiceHandler m_onServer;
  std::function<bool()> m_onClose;
  ViewWidget* m_view = nullptr;
  QScrollBar* m_horizontal = nullptr;
  QScrollBar* m_vertical = nullptr;
  QComboBox* m_targetBox = nullptr;
  std::vector<QComboBox*> m_serverBoxes;
  std::vector<QLabel*> m_panes;
  QLabel* m_passThroughIndicator = nullptr;
  std::optional<bool> m_passThroughShown;
  std::vector<QToolBar*> m_toolBars;
  std::map<uint32_t, QAction*> m_actions;
  bool m_menuRemoved = false;
};

}  // namespace ui

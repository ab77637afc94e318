#pragma once
// Full screen: the main window without frame, menus or bars over the whole
// screen, the way out taught first, the unit asked for a picture of the
// screen's size; and back to the window as it was (pass-through too), at the
// window's size.

#include <QRect>
#include <QSize>
#include <functional>
#include <string>

#include "core/ViewerCore.h"
#include "platform/Desktop.h"
#include "ui/MainFrame.h"

namespace ui {

inline constexpr int VIEW_FULL_SCREEN_CATEGORY = 2500;

class FullScreen {
 public:
  // expectViewSize learns the view's size to come, so that the resize it
  // brings does not ask the unit for the same picture twice.
  FullScreen(MainFrame& frame, core::ViewerCore& core, platform::OperatorDialogs& dialogs,
             std::string productName, std::function<void(QSize)> expectViewSize);

  bool IsOn() const { return m_on; }
  // Throws TextError; a refused teaching dialog leaves the window as it is.
  void Toggle();

 private:
  bool Teach();
  void Enter();
  void Leave();
  void TellUnit(platform::Size pictureSize);

  MainFrame& m_frame;
  core::ViewerCore& m_core;
  platform::OperatorDialogs& m_dialogs;
  std::string m_productName;
  std::function<void(QSize)> m_expectViewSize;
  bool m_on = false;
  bool m_inTransition = false;
  QRect m_windowGeometry;
  bool m_wasMaximised = false;
  bool m_wasPassthru = false;
  QSize m_windowedViewSize;
};

}  // namespace ui

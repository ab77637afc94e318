#include "ui/FullScreen.h"

#include <array>

#include "input/ExitMethods.h"
#include "input/PassThrough.h"
#include "platform/TextError.h"
#include "platform/Trace.h"
#include "protocol/LittleEndian.h"
#include "protocol/PacketTypes.h"
#include "settings/MiscSettings.h"
#include "view/ViewGeometry.h"

namespace ui {
namespace {

constexpr const char* TEACH_KEY = "TEACH_FULLSCREEN_EXIT_KEYS";

platform::Size ToSize(QSize size) { return {size.width(), size.height()}; }

}  // namespace

FullScreen::FullScreen(MainFrame& frame, core::ViewerCore& core, platform::OperatorDialogs& dialogs,
                       std::string productName, std::function<void(QSize)> expectViewSize)
    : m_frame(frame),
      m_core(core),
      m_dialogs(dialogs),
      m_productName(std::move(productName)),
      m_expectViewSize(std::move(expectViewSize)) {}

void FullScreen::Toggle() {
  // The leaving of pass-through that this toggle causes asks for it again.
  if (m_inTransition) return;
  m_inTransition = true;
  try {
    if (m_on)
      Leave();
    else
      Enter();
  } catch (...) {
    m_inTransition = false;
    throw;
  }
  m_inTransition = false;
}

// Without a mouse gesture out, the way out of full screen is also the way out
// of the pass-through it brings.
bool FullScreen::Teach() {
  settings::IniFile& ini = m_core.Ini();
  if (!settings::ReadTeachFlag(ini, TEACH_KEY)) return true;
  const std::string exitText = input::GetFullScreenExitText(ini);
  std::string text = input::TEACH_OPENING + exitText;
  if (exitText.find("ouse") == std::string::npos)
    text += "\n\nYou will also be in pass-through mode.  Exit pass-through with:\n\n" +
            input::GetPassthruExitText(ini);
  const platform::TeachingAnswer answer = m_dialogs.TeachExitKeys(m_productName, text);
  if (!answer.proceed) return false;
  if (answer.dontShowAgain && !settings::WriteMisc(ini, TEACH_KEY, "0"))
    throw TextError(std::string(settings::TEACH_FAILURE_COMMAND));
  return true;
}

void FullScreen::Enter() {
  input::KeyboardPipeline& keyboard = m_core.Keyboard();
  // Taken before the dialog, whose taking the focus ends pass-through.
  m_wasPassthru = keyboard.IsPassthru();
  if (!Teach()) {
    if (m_wasPassthru && !keyboard.IsPassthru() && m_core.Session().IsLoggedIn())
      keyboard.ForcePassthruMode(true);
    return;
  }
  view::ViewGeometry& geometry = m_core.Geometry();
  const platform::Size screen = geometry.LocalScreen();
  TraceCategory(5, VIEW_FULL_SCREEN_CATEGORY, "Entering full screen %d x %d\n", screen.width,
                screen.height);

  m_wasMaximised = m_frame.isMaximized();
  m_windowGeometry = m_frame.geometry();
  m_windowedViewSize = m_frame.View().size();
  m_on = true;
  geometry.FullScreen().on = true;
  m_expectViewSize(QSize(screen.width, screen.height));
  m_frame.SetFullScreenChrome(true);

  if (m_core.Session().IsLoggedIn() && !keyboard.State().m_durablePassThrough &&
      !geometry.IsQuadView())
    keyboard.ForcePassthruMode(true);
  m_frame.View().setFocus();

  // Not enlarged, a smaller remote screen keeps its size, centred.
  const platform::Size native = geometry.NativeSize();
  const bool keepNative =
      geometry.Options().DontEnlarge() && native.width > 0 && native.width < screen.width;
  const platform::Size picture = keepNative ? native : screen;
  geometry.ResizeFrameBuffer(picture);
  m_core.Bitmap().FillBmp(0, 0, 0, -1, 0, 0, 0);
  m_frame.View().update();
  TellUnit(picture);
}

void FullScreen::Leave() {
  TraceCategory(5, VIEW_FULL_SCREEN_CATEGORY, "Leaving full screen\n");
  view::ViewGeometry& geometry = m_core.Geometry();
  m_on = false;
  geometry.FullScreen().on = false;
  m_expectViewSize(m_windowedViewSize);
  m_frame.SetFullScreenChrome(false);
  if (m_wasMaximised)
    m_frame.showMaximized();
  else
    m_frame.setGeometry(m_windowGeometry);
  m_frame.activateWindow();
  m_frame.View().setFocus();
  input::KeyboardPipeline& keyboard = m_core.Keyboard();
  if (!m_wasPassthru && keyboard.IsPassthru()) keyboard.ForcePassthruMode(false);

  // Back at the window's size: scaled, the picture fills the view (no larger
  // than the remote screen when not enlarged); scrolled, it is the remote
  // screen's own size.
  const platform::Size native = geometry.NativeSize();
  const bool knowsNative = native.width > 0 && native.height > 0;
  platform::Size picture = ToSize(m_windowedViewSize);
  if (knowsNative && !geometry.IsScaled()) {
    picture = native;
  } else if (knowsNative && geometry.Options().DontEnlarge()) {
    picture.width = std::min(picture.width, native.width);
    picture.height = std::min(picture.height, native.height);
  }
  geometry.ResizeFrameBuffer(picture);
  geometry.MarkAllDirty();
  m_frame.View().update();
  TellUnit(picture);
}

void FullScreen::TellUnit(platform::Size picture) {
  session::Session& session = m_core.Session();
  if (!session.IsConnected()) return;
  std::array<uint8_t, 8> payload;
  StoreLE32(payload.data(), static_cast<uint32_t>(std::max(picture.width, view::MIN_VIEW_WIDTH)));
  StoreLE32(payload.data() + 4,
            static_cast<uint32_t>(std::max(picture.height, view::MIN_VIEW_HEIGHT)));
  PacketHeader resize(RESIZE, 0);
  session.SendPacket(resize, {payload.data(), payload.size()});
  PacketHeader repaint(REPAINT, 0);
  session.SendPacket(repaint);
}

}  // namespace ui

#include "core/ViewInput.h"

#include <exception>

#include "platform/TextError.h"

namespace core {

template <class Work>
void ViewInput::Guarded(Work work) {
  try {
    work();
  } catch (const TextError& e) {
    m_failures.HandleFailure(e.Text());
  } catch (const std::exception& e) {
    m_failures.HandleFailure(e.what());
  } catch (...) {
    m_failures.HandleFailure(UnknownErrorIn("CBrenvikView", "KVMMessageHandler"));
  }
}

bool ViewInput::HandleKey(const input::KeyEvent& key) {
  if (!m_session.IsConnected()) return false;
  // A key whose handling failed counts as taken.
  bool consumed = true;
  Guarded([&] { consumed = m_keyboard.HandleKeystrokes(key); });
  return consumed;
}

void ViewInput::HandleMouse(const input::MouseEvent& event) {
  if (!m_session.IsConnected()) return;
  Guarded([&] {
    const bool leftButton = event.button == input::MouseButton::Left;
    const bool press = event.action == input::MouseAction::Press;
    if (m_keyboard.IsPassthru())
      m_mouse.HandleMouse(event);
    else if (m_video.IsColourAnalysisArmed() && leftButton &&
             (press || event.action == input::MouseAction::Release))
      m_video.HandleColourAnalysis(press, event.position);
    else if (leftButton && press && !m_video.IsQuadView())
      // A click into the view hands keyboard and mouse to the remote computer.
      m_keyboard.OnACTIONSPassThrough();
  });
}

void ViewInput::HandleFocus(bool gained) {
  if (!m_session.IsConnected()) {
    if (gained) m_view.InvalidateMainWindow(true);
    return;
  }
  Guarded([&] { m_keyboard.HandleFocus(gained); });
}

}  // namespace core

#include "core/ViewInput.h"

namespace core {

bool ViewInput::HandleKeyboard(const platform::Message& message) {
  return m_keyboard.HandleKeystrokes(message.message, static_cast<uint32_t>(message.wParam),
                                     static_cast<uint32_t>(message.lParam));
}

void ViewInput::HandleMouse(const platform::Message& message) {
  m_mouse.HandleMouse(message.message, static_cast<uint32_t>(message.wParam),
                      static_cast<uint32_t>(message.lParam));
}

}  // namespace core

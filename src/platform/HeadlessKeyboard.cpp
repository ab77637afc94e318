#include "platform/HeadlessKeyboard.h"

#include <utility>

#include "platform/TextError.h"

namespace platform {
namespace {
constexpr uint8_t LOCK_BITS = LOCK_SCROLL | LOCK_NUM | LOCK_CAPS;

// Shift, Ctrl and Alt, and their left and right keys.
constexpr int VK_SHIFT = 0x10, VK_CONTROL = 0x11, VK_MENU = 0x12;
constexpr int VK_LSHIFT = 0xA0, VK_RSHIFT = 0xA1, VK_LCONTROL = 0xA2, VK_RCONTROL = 0xA3,
              VK_LMENU = 0xA4, VK_RMENU = 0xA5;
constexpr int SCAN_RSHIFT = 0x36;

int SidedKeyOf(int virtualKey, int scanCode, bool extended) {
  switch (virtualKey) {
    case VK_SHIFT:
      return scanCode == SCAN_RSHIFT ? VK_RSHIFT : VK_LSHIFT;
    case VK_CONTROL:
      return extended ? VK_RCONTROL : VK_LCONTROL;
    case VK_MENU:
      return extended ? VK_RMENU : VK_LMENU;
    default:
      return 0;
  }
}

uint8_t LockBitOf(int virtualKey) {
  switch (virtualKey) {
    case VK_CAPITAL:
      return LOCK_CAPS;
    case VK_NUMLOCK:
      return LOCK_NUM;
    case VK_SCROLL:
      return LOCK_SCROLL;
    default:
      return 0;
  }
}
}  // namespace

HeadlessKeyboard::HeadlessKeyboard(uint8_t lights, std::string layout)
    : m_lights(lights & LOCK_BITS), m_layout(std::move(layout)) {}

bool HeadlessKeyboard::IsKeyDown(int virtualKey) const {
  m_windowThread.Check("KeyboardDevice::IsKeyDown");
  std::lock_guard lock(m_mutex);
  return m_down.count(virtualKey) != 0;
}

uint8_t HeadlessKeyboard::LockLights() const {
  m_windowThread.Check("KeyboardDevice::LockLights");
  std::lock_guard lock(m_mutex);
  return m_lights;
}

void HeadlessKeyboard::SetLockLights(uint8_t lights) {
  m_windowThread.Check("KeyboardDevice::SetLockLights");
  std::lock_guard lock(m_mutex);
  m_lights = lights & LOCK_BITS;
}

void HeadlessKeyboard::SendSyntheticKey(int virtualKey, int scanCode, bool keyUp) {
  m_windowThread.Check("KeyboardDevice::SendSyntheticKey");
  std::lock_guard lock(m_mutex);
  if (!m_syntheticFailure.empty()) throw TextError(m_syntheticFailure);
  m_synthetic.push_back({virtualKey, scanCode, keyUp});
  if (keyUp) {
    m_down.erase(virtualKey);
    return;
  }
  // Auto-repeat of a held lock key does not toggle it again.
  if (m_down.insert(virtualKey).second) m_lights ^= LockBitOf(virtualKey);
}

bool HeadlessKeyboard::StartGrab() {
  m_windowThread.Check("KeyboardDevice::StartGrab");
  std::lock_guard lock(m_mutex);
  if (m_refuseGrab) return false;
  m_grabbed = true;
  ++m_grabCount;
  return true;
}

void HeadlessKeyboard::EndGrab() {
  m_windowThread.Check("KeyboardDevice::EndGrab");
  std::lock_guard lock(m_mutex);
  m_grabbed = false;
}

bool HeadlessKeyboard::IsGrabbed() const {
  m_windowThread.Check("KeyboardDevice::IsGrabbed");
  std::lock_guard lock(m_mutex);
  return m_grabbed;
}

std::string HeadlessKeyboard::LayoutName() const {
  m_windowThread.Check("KeyboardDevice::LayoutName");
  std::lock_guard lock(m_mutex);
  return m_layout;
}

void HeadlessKeyboard::SetKeyDown(int virtualKey, bool down) {
  std::lock_guard lock(m_mutex);
  if (down) {
    m_down.insert(virtualKey);
  } else {
    m_down.erase(virtualKey);
  }
}

void HeadlessKeyboard::PressByUser(int virtualKey, int scanCode, bool extended, bool keyUp) {
  SetKeyDown(virtualKey, !keyUp);
  if (const int sided = SidedKeyOf(virtualKey, scanCode, extended)) SetKeyDown(sided, !keyUp);
}

void HeadlessKeyboard::RefuseGrab(bool refuse) {
  std::lock_guard lock(m_mutex);
  m_refuseGrab = refuse;
}

void HeadlessKeyboard::SetLayoutName(std::string layout) {
  std::lock_guard lock(m_mutex);
  m_layout = std::move(layout);
}

void HeadlessKeyboard::FailSyntheticKeys(std::string reason) {
  std::lock_guard lock(m_mutex);
  m_syntheticFailure = std::move(reason);
}

std::vector<HeadlessKeyboard::SyntheticKey> HeadlessKeyboard::SyntheticKeys() const {
  std::lock_guard lock(m_mutex);
  return m_synthetic;
}

int HeadlessKeyboard::GrabCount() const {
  std::lock_guard lock(m_mutex);
  return m_grabCount;
}

}  // namespace platform

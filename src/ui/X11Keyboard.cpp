#include "ui/X11Keyboard.h"

#include <QWidget>
#include <array>

#include "platform/TextError.h"
#include "ui/KeyTranslate.h"
#include "ui/X11Display.h"

// X11's headers define names (None, Bool, KeyPress) that clash with Qt's: last.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace ui {
namespace {

constexpr int VK_SHIFT = 0x10;
constexpr int VK_CONTROL = 0x11;
constexpr int VK_MENU = 0x12;

// A plain modifier is down when either of its keys is.
std::array<int, 2> KeysOf(int virtualKey) {
  switch (virtualKey) {
    case VK_SHIFT:
      return {0xA0, 0xA1};
    case VK_CONTROL:
      return {0xA2, 0xA3};
    case VK_MENU:
      return {0xA4, 0xA5};
    default:
      return {virtualKey, virtualKey};
  }
}

bool IndicatorOn(Display* display, const char* name) {
  int index = 0;
  Bool on = False;
  const Atom atom = XInternAtom(display, name, False);
  if (!XkbGetNamedIndicator(display, atom, &index, &on, nullptr, nullptr)) return false;
  return on;
}

}  // namespace

X11Keyboard::X11Keyboard(QWidget& view)
    : m_view(view), m_display(X11DisplayOrNull()), m_grab(view, ViewGrab::Device::Keyboard) {}

void X11Keyboard::NoteKey(int virtualKey, bool down) {
  if (down)
    m_down.insert(virtualKey);
  else
    m_down.erase(virtualKey);
}

bool X11Keyboard::IsKeyDown(int virtualKey) const {
  if (!m_display) return m_down.count(virtualKey) > 0;
  char keys[32] = {};
  XQueryKeymap(m_display, keys);
  for (int key : KeysOf(virtualKey)) {
    const uint32_t code = XKeycodeForVirtualKey(key);
    if (code > 0 && code < 256 && (keys[code / 8] & (1 << (code % 8)))) return true;
  }
  return false;
}

uint8_t X11Keyboard::LockLights() const {
  if (!m_display) return m_lights;
  uint8_t lights = 0;
  if (IndicatorOn(m_display, "Scroll Lock")) lights |= platform::LOCK_SCROLL;
  if (IndicatorOn(m_display, "Num Lock")) lights |= platform::LOCK_NUM;
  if (IndicatorOn(m_display, "Caps Lock")) lights |= platform::LOCK_CAPS;
  return lights;
}

// Locked modifiers rather than key presses: a press would come back to the
// view as a key and travel on to the unit.
void X11Keyboard::SetLockLights(uint8_t lights) {
  m_lights = lights;
  if (!m_display) return;
  const unsigned caps = LockMask;
  const unsigned num = XkbKeysymToModifiers(m_display, XK_Num_Lock);
  XkbLockModifiers(m_display, XkbUseCoreKbd, caps, (lights & platform::LOCK_CAPS) ? caps : 0);
  if (num) XkbLockModifiers(m_display, XkbUseCoreKbd, num, (lights & platform::LOCK_NUM) ? num : 0);
  const Atom scroll = XInternAtom(m_display, "Scroll Lock", False);
  XkbSetNamedIndicator(m_display, scroll, True, (lights & platform::LOCK_SCROLL) ? True : False,
                       False, nullptr);
  XFlush(m_display);
}

void X11Keyboard::SendSyntheticKey(int virtualKey, int scanCode, bool keyUp) {
  (void)scanCode;  // the X keycode already names the key
  if (!m_display) throw TextError("No X display: a key cannot be injected.");
  const uint32_t code = XKeycodeForVirtualKey(virtualKey);
  if (code == 0)
    throw TextError("No key gives virtual-key code " + std::to_string(virtualKey) + ".");
  if (!XTestFakeKeyEvent(m_display, code, keyUp ? False : True, CurrentTime))
    throw TextError("The X server refused a synthetic key.");
  // A round trip, so the key's own event is already on its way to the view when
  // the caller pumps the window thread to swallow it.
  XSync(m_display, False);
}

bool X11Keyboard::StartGrab() {
  m_grab.Want(true);
  return true;
}

void X11Keyboard::EndGrab() { m_grab.Want(false); }

// The unit knows layouts by their classic identifiers; the viewer sends keys
// as a US keyboard lays them out.
std::string X11Keyboard::LayoutName() const { return "00000409"; }

}  // namespace ui

#include "input/LockLights.h"

#include <algorithm>
#include <exception>
#include <utility>

#include "platform/TextError.h"
#include "platform/Trace.h"

namespace input {
namespace {

constexpr uint8_t LOCK_BITS = platform::LOCK_SCROLL | platform::LOCK_NUM | platform::LOCK_CAPS;
// Left and right Shift, Caps Lock, Num Lock, Scroll Lock.
constexpr uint8_t LED_KEYS[] = {0x2A, 0x36, 0x3A, 0x45, 0x46};

int Bit(uint8_t lights, uint8_t bit) { return (lights & bit) ? 1 : 0; }

void TraceStates(const char* format, uint8_t lights) {
  TraceLevel(5, format, Bit(lights, platform::LOCK_NUM), Bit(lights, platform::LOCK_CAPS),
             Bit(lights, platform::LOCK_SCROLL));
}

}  // namespace

LockLights::LockLights(KeyboardState& state, const KeySender& sender,
                       platform::KeyboardDevice& keyboard, platform::WindowThread& window,
                       session::Session& session)
    : m_state(state),
      m_sender(sender),
      m_keyboard(keyboard),
      m_session(session),
      m_settle(window),
      m_ledWait(window) {}

void LockLights::HandleKbdLEDs(const PacketHeader& header) {
  m_waitingLeds = header.subtype;
  if (m_ledWait.IsActive()) return;
  if (!AreLockKeysSentDown()) {
    ApplyKbdLEDs(m_waitingLeds);
    return;
  }
  m_ledWaitTries = 0;
  m_ledWait.Start(LED_WAIT_MS, [this] {
    if (++m_ledWaitTries < LED_WAIT_TRIES && AreLockKeysSentDown()) return;
    m_ledWait.Stop();
    ApplyKbdLEDs(m_waitingLeds);
  });
}

bool LockLights::AreLockKeysSentDown() const {
  return std::any_of(std::begin(LED_KEYS), std::end(LED_KEYS),
                     [this](uint8_t scan) { return m_sender.IsSentKeyDown(scan); });
}

void LockLights::ApplyKbdLEDs(uint8_t lights) {
  TraceLevel(5, "HandleKbdLEDs - incoming value: %d <<<<<<<<<<<<<<<<<<<<<<<<<<<<<\n", lights);
  m_ucKbdLEDsBrenvik = lights;
  TraceLevel(5, "m_ucKbdLEDsBrenvik 2 = %d\n", m_ucKbdLEDsBrenvik);
  if (m_state.m_passThrough) ApplyRemoteStates();
  TraceLevel(5, "HandleKbdLEDs - end >>>>>>>>>>>>>>>>>>>>>>>>>>>>\n");
}

uint8_t LockLights::GetKeyboardLights() const { return m_keyboard.LockLights() & LOCK_BITS; }

void LockLights::SetKbdLockStates(bool num, bool caps, bool scroll) {
  // A setting still under way ends first, so its saved states are not lost.
  if (m_settle.IsActive()) {
    m_settle.Stop();
    ResumePassthru();
  }
  TraceLevel(5, "SetKbdLockStates(NumLock-%d, CapsLock-%d, ScrollLock-%d)\n", num, caps, scroll);
  const uint8_t present = GetKeyboardLights();
  TraceStates("Present local states are: NL %d   CL %d   SL %d\n", present);
  const uint8_t wanted =
      static_cast<uint8_t>((num ? platform::LOCK_NUM : 0) | (caps ? platform::LOCK_CAPS : 0) |
                           (scroll ? platform::LOCK_SCROLL : 0));
  // Lights that already agree need no synthetic keys, so pass-through is not
  // suspended: keys the operator types meanwhile would go nowhere.
  if (wanted != (present & LOCK_BITS)) {
    SuspendPassthru();
    // The Windows 95/98/Me way of flipping Num Lock in the key state table has no place here.
    const auto toggle = [&](bool wanted, uint8_t bit, int virtualKey, int scan, const char* what) {
      if (wanted == ((present & bit) != 0)) return false;
      TraceLevel(5, "%s", what);
      m_keyboard.SendSyntheticKey(virtualKey, scan, false);
      m_keyboard.SendSyntheticKey(virtualKey, scan, true);
      return true;
    };
    try {
      if (toggle(num, platform::LOCK_NUM, platform::VK_NUMLOCK, 0x45,
                 "    Toggle NumLock locally\n"))
        TraceLevel(5, "    GetKeyboardLights() = %d\n", GetKeyboardLights());
      toggle(caps, platform::LOCK_CAPS, platform::VK_CAPITAL, 0x3A, "    Toggle CapLock locally\n");
      toggle(scroll, platform::LOCK_SCROLL, platform::VK_SCROLL, 0x46,
             "    Toggle ScrollLock locally\n");
    } catch (...) {
      ResumePassthru();
      throw;
    }
    TraceLevel(5, "    Pumping messages so lock key state can take effect.\n");
    // Whatever the window thread already holds (the synthetic keys among it)
    // is handled before pass-through comes back.
    m_settle.StartOnce(0, [this] { ResumePassthru(); });
  }
  TraceLevel(5, "SetKbdLockStates() -- complete)\n");
}

void LockLights::SuspendPassthru() {
  m_setting = true;
  if (!m_state.m_passThrough) return;
  TraceLevel(5, "Passthrough is on so save STARTING LOCKS: \n");
  m_suspended = true;
  m_savedLocal = m_ucKbdLEDsLocalKVM;
  m_keyboard.EndGrab();
  m_state.m_passThrough = false;
}

void LockLights::ResumePassthru() {
  m_setting = false;
  if (!std::exchange(m_suspended, false)) return;
  // Pass-through left while the keys were handled stays left.
  if (m_state.m_durablePassThrough) {
    m_state.m_passThrough = true;
    try {
      if (!m_keyboard.StartGrab()) TraceLevel(5, "Could not grab the keyboard again.\n");
    } catch (const std::exception& e) {
      TraceLevel(5, "%s\n", e.what());
    }
  }
  m_ucKbdLEDsLocalKVM = m_savedLocal;
  TraceLevel(5, "Going back to passthru, so restoring m_orb.m_ucKbdLEDsLocalKVM to: %d\n",
             m_savedLocal);
  TraceLevel(5, "m_ucKbdLEDsLocalKVM = %d @ end of SetKbdLockStates.\n", m_ucKbdLEDsLocalKVM);
}

void LockLights::SetLocalStates(uint8_t lights) {
  try {
    SetKbdLockStates(lights & platform::LOCK_NUM, lights & platform::LOCK_CAPS,
                     lights & platform::LOCK_SCROLL);
  } catch (const std::exception& e) {
    Trace("%s\n", e.what());
    m_session.ReportFailure(CANT_CONTROL_LIGHTS, CANT_CONTROL_LIGHTS);
    m_session.Disconnect(false);
  }
}

void LockLights::RestoreKeyboardState() {
  TraceLevel(5, "RestoreKeyboardState() to %d\n", m_ucKbdLEDsLocalKVM);
  SetLocalStates(m_ucKbdLEDsLocalKVM);
}

uint8_t LockLights::StoreLocalStates() {
  m_ucKbdLEDsLocalKVM = GetKeyboardLights();
  return m_ucKbdLEDsLocalKVM;
}

}  // namespace input

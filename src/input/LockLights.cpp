#include "input/LockLights.h"

#include <exception>

#include "input/FlagScope.h"
#include "platform/TextError.h"
#include "platform/Trace.h"

namespace input {
namespace {

constexpr uint8_t LOCK_BITS = platform::LOCK_SCROLL | platform::LOCK_NUM | platform::LOCK_CAPS;

int Bit(uint8_t lights, uint8_t bit) { return (lights & bit) ? 1 : 0; }

void TraceStates(const char* format, uint8_t lights) {
  TraceLevel(5, format, Bit(lights, platform::LOCK_NUM), Bit(lights, platform::LOCK_CAPS),
             Bit(lights, platform::LOCK_SCROLL));
}

// Pass-through off, and the grab with it, for as long as the lock keys are
// synthesised; back on afterwards even when that fails. The local user's
// states are not to take in the synthetic keys.
class SuspendedPassthru {
 public:
  SuspendedPassthru(KeyboardState& state, platform::KeyboardDevice& keyboard, uint8_t& localStates)
      : m_state(state), m_keyboard(keyboard), m_localStates(localStates) {
    if (!m_state.m_passThrough) return;
    TraceLevel(5, "Passthrough is on so save STARTING LOCKS: \n");
    m_suspended = true;
    m_saved = m_localStates;
    m_keyboard.EndGrab();
    m_state.m_passThrough = false;
  }
  ~SuspendedPassthru() {
    if (!m_suspended) return;
    m_state.m_passThrough = true;
    try {
      if (!m_keyboard.StartGrab()) TraceLevel(5, "Could not grab the keyboard again.\n");
    } catch (const std::exception& e) {
      TraceLevel(5, "%s\n", e.what());
    }
    m_localStates = m_saved;
    TraceLevel(5, "Going back to passthru, so restoring m_orb.m_ucKbdLEDsLocalKVM to: %d\n",
               m_saved);
    TraceLevel(5, "m_ucKbdLEDsLocalKVM = %d @ end of SetKbdLockStates.\n", m_localStates);
  }
  SuspendedPassthru(const SuspendedPassthru&) = delete;
  SuspendedPassthru& operator=(const SuspendedPassthru&) = delete;

 private:
  KeyboardState& m_state;
  platform::KeyboardDevice& m_keyboard;
  uint8_t& m_localStates;
  bool m_suspended = false;
  uint8_t m_saved = 0;
};

}  // namespace

LockLights::LockLights(KeyboardState& state, platform::KeyboardDevice& keyboard,
                       platform::WindowThread& window, session::Session& session)
    : m_state(state), m_keyboard(keyboard), m_window(window), m_session(session) {}

void LockLights::HandleKbdLEDs(const PacketHeader& header) {
  TraceLevel(5, "HandleKbdLEDs - incoming value: %d <<<<<<<<<<<<<<<<<<<<<<<<<<<<<\n",
             header.subtype);
  m_ucKbdLEDsBrenvik = header.subtype;
  TraceLevel(5, "m_ucKbdLEDsBrenvik 2 = %d\n", m_ucKbdLEDsBrenvik);
  if (m_state.m_passThrough) ApplyRemoteStates();
  TraceLevel(5, "HandleKbdLEDs - end >>>>>>>>>>>>>>>>>>>>>>>>>>>>\n");
}

uint8_t LockLights::GetKeyboardLights() const { return m_keyboard.LockLights() & LOCK_BITS; }

void LockLights::SetKbdLockStates(bool num, bool caps, bool scroll) {
  TraceLevel(5, "SetKbdLockStates(NumLock-%d, CapsLock-%d, ScrollLock-%d)\n", num, caps, scroll);
  const uint8_t present = GetKeyboardLights();
  TraceStates("Present local states are: NL %d   CL %d   SL %d\n", present);
  const uint8_t wanted =
      static_cast<uint8_t>((num ? platform::LOCK_NUM : 0) | (caps ? platform::LOCK_CAPS : 0) |
                           (scroll ? platform::LOCK_SCROLL : 0));
  // Lights that already agree need no synthetic keys, so pass-through is not
  // suspended: keys the operator types meanwhile would go nowhere.
  if (wanted != (present & LOCK_BITS)) {
    FlagScope setting(m_setting);
    SuspendedPassthru suspended(m_state, m_keyboard, m_ucKbdLEDsLocalKVM);
    // The Windows 95/98/Me way of flipping Num Lock in the key state table has no place here.
    const auto toggle = [&](bool wanted, uint8_t bit, int virtualKey, int scan, const char* what) {
      if (wanted == ((present & bit) != 0)) return false;
      TraceLevel(5, "%s", what);
      m_keyboard.SendSyntheticKey(virtualKey, scan, false);
      m_keyboard.SendSyntheticKey(virtualKey, scan, true);
      return true;
    };
    if (toggle(num, platform::LOCK_NUM, platform::VK_NUMLOCK, 0x45, "    Toggle NumLock locally\n"))
      TraceLevel(5, "    GetKeyboardLights() = %d\n", GetKeyboardLights());
    toggle(caps, platform::LOCK_CAPS, platform::VK_CAPITAL, 0x3A, "    Toggle CapLock locally\n");
    toggle(scroll, platform::LOCK_SCROLL, platform::VK_SCROLL, 0x46,
           "    Toggle ScrollLock locally\n");
    TraceLevel(5, "    Pumping messages so lock key state can take effect.\n");
    m_window.PumpPending();
  }
  TraceLevel(5, "SetKbdLockStates() -- complete)\n");
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

#include "input/PassThrough.h"

#include "input/Cursor.h"
#include "input/ExitMethods.h"
#include "input/MouseAccel.h"
#include "platform/TextError.h"
#include "platform/Trace.h"
#include "settings/MiscSettings.h"

namespace input {
namespace {

constexpr const char* TEACH_KEY = "TEACH_PASSTHRU_EXIT_KEYS";
constexpr const char* FAILURE_TITLE = "Unable to change pass-through mode";

int Bit(uint8_t lights, uint8_t bit) { return (lights & bit) ? 1 : 0; }

}  // namespace

PassThrough::PassThrough(const InputEnvironment& env, KeyboardState& state, KeySender& sender,
                         LockLights& lights, const HotkeySettings& settings)
    : m_env(env), m_state(state), m_sender(sender), m_lights(lights), m_settings(settings) {}

void PassThrough::OnACTIONSPassThrough() {
  TraceLevel(5, "OnACTIONSPassThrough()\n");
  if (!m_env.session.IsLoggedIn()) return;
  const std::string failure =
      CatchAll("CBrenvikView", "OnACTIONSPassThrough", [this] { Toggle(); });
  if (!failure.empty()) m_env.dialogs.ShowError(FAILURE_TITLE, failure);
}

void PassThrough::Toggle() {
  if (m_state.m_passThrough) {
    ForcePassthruMode(false);
    return;
  }
  if (settings::ReadTeachFlag(m_env.ini, TEACH_KEY) && !m_env.view.IsFullScreen() &&
      !m_state.m_durablePassThrough && !Teach())
    return;
  if (!m_env.session.IsConnected()) return;
  ForcePassthruMode(true);
  if (!m_env.view.ClientRect()) throw TextError("No curent window found.");
  CenterCursor(m_env.view, m_env.pointer);
}

bool PassThrough::Teach() {
  // The hotkey that brought the dialog up is released while it shows; its
  // key-up must not be waited for.
  m_state.m_localKeys.Mark(static_cast<uint8_t>(m_settings.m_hotkeyPassthru.GetOEMCode()), false);
  m_state.m_blockPassThroughKey = false;
  const platform::TeachingAnswer answer = m_env.dialogs.TeachExitKeys(
      m_env.productName, TEACH_OPENING + GetPassthruExitText(m_env.ini));
  if (!answer.proceed) return false;
  if (answer.dontShowAgain && !settings::WriteMisc(m_env.ini, TEACH_KEY, "0"))
    throw TextError(std::string(settings::TEACH_FAILURE_COMMAND));
  return true;
}

void PassThrough::ForcePassthruMode(bool on) {
  TraceLevel(5, "ForcePassthruMode(%d)\n", on);
  if (on && m_env.quadView && m_env.quadView()) return;
  if (on) {
    const uint8_t remote = m_lights.RemoteStates();
    TraceLevel(5, "m_ucKbdLEDsLocalKVM = %d\n", m_lights.LocalStates());
    TraceLevel(5, "    Remote states are: NL %d   CL %d   SL %d\n", Bit(remote, platform::LOCK_NUM),
               Bit(remote, platform::LOCK_CAPS), Bit(remote, platform::LOCK_SCROLL));
    m_state.m_passThrough = true;
    m_state.m_durablePassThrough = true;
    m_sender.ResetFirstKey();
    m_lights.ApplyRemoteStates();
    // Without the grab system keys stay with the local desktop; the rest still works.
    if (!m_env.keyboard.StartGrab()) TraceLevel(5, "Could not grab the keyboard.\n");
    // Windows 95/98/Me kept system keys from the local shell with a screen-saver switch instead.
    TraceLevel(5, "Passthru on\n");
    CaptureCursor(m_env.view, m_env.pointer);
    SwitchAccelerationOff(m_env.ini, m_env.pointer);
    m_env.view.SetStatusText(STATUS_PANE_MESSAGE, REGAIN_CONTROL + GetPassthruExitText(m_env.ini));
  } else {
    m_state.m_passThrough = false;
    m_state.m_durablePassThrough = false;
    m_env.keyboard.EndGrab();
    m_lights.RestoreKeyboardState();
    TraceLevel(5, "Passthru off\n");
    ReleaseCursor(m_env.pointer);
    TraceLevel(5, "Restore original mouse acceleration. 7\n");
    RestoreAcceleration(m_env.ini, m_env.pointer);
    m_env.view.SetStatusText(STATUS_PANE_MESSAGE, PASSTHRU_OFF);
    if (m_env.view.IsFullScreen()) m_env.view.ToggleFullScreen();
  }
  TraceLevel(5, "ForcePassthruMode() -- exiting\n");
}

void PassThrough::OnFocusRegained() {
  m_state.m_localKeys.AllUp();
  if (!m_state.m_durablePassThrough) return;
  if (!m_state.m_passThrough) {
    m_state.m_passThrough = true;
    if (!m_env.keyboard.StartGrab()) TraceLevel(5, "Could not grab the keyboard.\n");
  }
  CaptureCursor(m_env.view, m_env.pointer);
  TraceLevel(5, "TURNing OFF MOUSE ACCEL\n");
  SwitchAccelerationOff(m_env.ini, m_env.pointer);
  m_lights.ApplyRemoteStates();
}

}  // namespace input

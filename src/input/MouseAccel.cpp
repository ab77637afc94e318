#include "input/MouseAccel.h"

#include "platform/Trace.h"
#include "settings/MiscSettings.h"

namespace input {
namespace {

constexpr int MOUSE_ACCEL_CATEGORY = 500;
constexpr const char* OPEN_KEY = "MouseAccelOpen";
constexpr const char* KEYS[] = {"MouseAccel0", "MouseAccel1", "MouseAccel2"};
constexpr platform::MouseAcceleration NO_ACCELERATION{0, 0, 0};

std::optional<platform::MouseAcceleration> KeepCurrent(settings::IniFile& ini,
                                                       platform::PointerDevice& pointer) {
  const std::optional<platform::MouseAcceleration> current = pointer.GetAcceleration();
  if (!current) {
    Trace("%s\n", ACCELERATION_READ_FAILURE);
    return std::nullopt;
  }
  TraceCategory(5, MOUSE_ACCEL_CATEGORY, "save accleration parameters: %d  %d  %d \n",
                current->threshold1, current->threshold2, current->acceleration);
  settings::WriteMiscNumber(ini, KEYS[0], current->threshold1);
  settings::WriteMiscNumber(ini, KEYS[1], current->threshold2);
  settings::WriteMiscNumber(ini, KEYS[2], current->acceleration);
  settings::WriteMisc(ini, OPEN_KEY, "T");
  return current;
}

}  // namespace

std::optional<platform::MouseAcceleration> ReadKeptAcceleration(settings::IniFile& ini) {
  if (!settings::ReadMiscFlag(ini, OPEN_KEY)) return std::nullopt;
  return platform::MouseAcceleration{settings::ReadMiscNumber(ini, KEYS[0]),
                                     settings::ReadMiscNumber(ini, KEYS[1]),
                                     settings::ReadMiscNumber(ini, KEYS[2])};
}

void SwitchAccelerationOff(settings::IniFile& ini, platform::PointerDevice& pointer) {
  if (!ReadKeptAcceleration(ini) && !KeepCurrent(ini, pointer)) return;
  if (!pointer.SetAcceleration(NO_ACCELERATION))
    Trace("Failed to set system parameters for mouse acceleration.\n");
  else
    TraceLevel(5, "Accleration off.\n");
}

void RestoreAcceleration(settings::IniFile& ini, platform::PointerDevice& pointer) {
  const std::optional<platform::MouseAcceleration> kept = ReadKeptAcceleration(ini);
  if (!kept) return;
  TraceLevel(5, "restore: %d  %d  %d \n", kept->threshold1, kept->threshold2, kept->acceleration);
  pointer.SetAcceleration(*kept);
}

OperatorAcceleration::OperatorAcceleration(settings::IniFile& ini, platform::PointerDevice& pointer)
    : m_ini(ini), m_pointer(pointer) {
  if (const auto left = ReadKeptAcceleration(ini)) {
    m_pointer.SetAcceleration(*left);
    TraceCategory(5, MOUSE_ACCEL_CATEGORY, "Restore mouse acceleration from a previous run.\n");
  }
  m_kept = KeepCurrent(ini, pointer);
}

OperatorAcceleration::~OperatorAcceleration() {
  TraceLevel(5, "Restore original mouse acceleration. 8\n");
  RestoreAcceleration(m_ini, m_pointer);
  settings::WriteMisc(m_ini, OPEN_KEY, "F");
}

}  // namespace input

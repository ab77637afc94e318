#pragma once
// The operator's own mouse acceleration. Pass-through switches it off so that
// relative motion reaches the remote computer unamplified; the triple found at
// start is kept in the settings (MouseAccel0-2, MouseAccelOpen "T"), so a run
// that ends without giving it back is repaired by the next one. The settings
// are the one record of it: every restore reads it from there.
// Window thread only.

#include <optional>

#include "platform/Desktop.h"
#include "settings/IniFile.h"

namespace input {

inline constexpr const char* ACCELERATION_READ_FAILURE =
    "Failed to get system parameters for mouse acceleration.";

// The triple kept in the settings; nothing unless MouseAccelOpen is "T".
std::optional<platform::MouseAcceleration> ReadKeptAcceleration(settings::IniFile& ini);

// Switches acceleration off, keeping the operator's triple first when none is
// kept yet. An acceleration that cannot be read stays as it is: it could not
// be given back.
void SwitchAccelerationOff(settings::IniFile& ini, platform::PointerDevice& pointer);
// Gives the kept triple back; nothing when none is kept.
void RestoreAcceleration(settings::IniFile& ini, platform::PointerDevice& pointer);

// For the main window's life: at start the triple a previous run left switched
// off is restored, and the operator's present one is kept; at the end it is
// given back and the record closed (MouseAccelOpen "F").
class OperatorAcceleration {
 public:
  OperatorAcceleration(settings::IniFile& ini, platform::PointerDevice& pointer);
  ~OperatorAcceleration();
  OperatorAcceleration(const OperatorAcceleration&) = delete;
  OperatorAcceleration& operator=(const OperatorAcceleration&) = delete;

  // Nothing when the acceleration could not be read at start.
  const std::optional<platform::MouseAcceleration>& Kept() const { return m_kept; }

 private:
  settings::IniFile& m_ini;
  platform::PointerDevice& m_pointer;
  std::optional<platform::MouseAcceleration> m_kept;
};

}  // namespace input

#pragma once
// The operator's sizing choices, kept in the MISC section: a scaled or a
// scrolled view (VIEW_TYPE), a window fitted to the remote screen
// (AUTO_SIZE), a picture never drawn larger than the remote screen
// (DONT_ENLARGE).

#include "settings/IniFile.h"

namespace view {

inline constexpr int VIEW_TYPE_CATEGORY = 2100;

class ViewOptions {
 public:
  explicit ViewOptions(settings::IniFile& ini) : m_ini(ini) {}

  // Reads all three from the settings.
  void Load();

  bool Scaled() const { return m_scaled; }
  void SetScaled(bool scaled) { m_scaled = scaled; }
  // Keeps the view type for the next start, once the view has taken it.
  void SaveViewType();
  bool AutoSize() const { return m_autoSize; }
  void ToggleAutoSize();
  bool DontEnlarge() const { return m_dontEnlarge; }
  void ToggleDontEnlarge();

 private:
  settings::IniFile& m_ini;
  bool m_scaled = true;
  bool m_autoSize = true;
  bool m_dontEnlarge = false;
};

}  // namespace view

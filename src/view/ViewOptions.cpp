#include "view/ViewOptions.h"

#include "platform/Trace.h"
#include "settings/MiscSettings.h"

namespace view {

void ViewOptions::Load() {
  m_scaled = settings::ReadMisc(m_ini, "VIEW_TYPE") == "scaled";
  m_autoSize = settings::ReadMiscFlag(m_ini, "AUTO_SIZE");
  m_dontEnlarge = settings::ReadMiscFlag(m_ini, "DONT_ENLARGE");
}

void ViewOptions::SaveViewType() {
  const char* type = m_scaled ? "scaled" : "scrolled";
  TraceCategory(5, VIEW_TYPE_CATEGORY, "Writing [misc][view_type] = %s\n", type);
  settings::WriteMisc(m_ini, "VIEW_TYPE", type);
}

void ViewOptions::ToggleAutoSize() {
  m_autoSize = !m_autoSize;
  settings::WriteMiscFlag(m_ini, "AUTO_SIZE", m_autoSize);
}

void ViewOptions::ToggleDontEnlarge() {
  m_dontEnlarge = !m_dontEnlarge;
  settings::WriteMiscFlag(m_ini, "DONT_ENLARGE", m_dontEnlarge);
}

}  // namespace view

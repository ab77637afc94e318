#pragma once
// Which servers the view shows: one (single view) or one per quadrant (quad
// view), as the current target's QUADRANT_n settings name them, told to the
// unit with TELL_SERVERS_SELECTED.

#include <cstdint>

#include "platform/Desktop.h"
#include "session/Session.h"
#include "settings/IniFile.h"

namespace view {

// View menu commands.
inline constexpr uint32_t ID_VIEW_SINGLE = 32846;
inline constexpr uint32_t ID_VIEW_QUAD = 32847;

class ServerSelection {
 public:
  ServerSelection(session::Session& session, settings::IniFile& ini,
                  platform::OperatorDialogs& dialogs)
      : m_session(session), m_ini(ini), m_dialogs(dialogs) {}

  // The single or quad view command; its failures are shown to the operator.
  void OnViewQuadOrSingle(uint32_t id);
  // The server chosen for a quadrant of the current target (toolbar boxes).
  void WriteActiveServerForThisQuadrant(int quadrant, int server);
  bool IsQuadView() const { return m_quad; }

 private:
  session::Session& m_session;
  settings::IniFile& m_ini;
  platform::OperatorDialogs& m_dialogs;
  bool m_quad = false;
};

}  // namespace view

#pragma once
// What the administrator's pages work with: the session that carries their
// requests and changes, the dispatcher that keeps what the unit sent last,
// and the switch-model names of the branding. The pages read the dispatcher
// afresh, so what arrives while the sheet is open reaches them.

#include <string>

#include "admin/SwitchSettings.h"
#include "session/Session.h"
#include "view/KVMDispatcher.h"

namespace ui {

struct UnitAdmin {
  session::Session& session;
  const view::KVMDispatcher& dispatcher;
  admin::SwitchModelNames switchModels;

  // The unit as the pages' texts name it.
  std::string UnitName() const { return session.TargetLocation(); }
  // Throws "Connection with <unit> lost, can't <what>." when the link is gone,
  // so nothing is taken for sent that never went.
  void RequireConnection(const std::string& what) const;
};

}  // namespace ui

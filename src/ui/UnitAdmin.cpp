#include "ui/UnitAdmin.h"

#include "platform/TextError.h"

namespace ui {

void UnitAdmin::RequireConnection(const std::string& what) const {
  if (!session.IsConnected() || !session.IsLoggedIn())
    throw TextError("Connection with " + UnitName() + " lost, can't " + what + ".");
}

}  // namespace ui

#pragma once
// What the viewer tells the unit right after a login: two pings, the colour
// levels of the current rendering mode and the size it wants the picture in,
// and (unless the unit scales) a request for the whole picture.

#include <string_view>

#include "platform/Desktop.h"
#include "session/Session.h"
#include "view/DispatchPorts.h"

namespace view {

inline constexpr int SEND_INITIAL_PACKETS_CATEGORY = 2700;

// renderingMode is the process's current mode (empty until one is chosen),
// not a target's: every login sends it again. Throws TextError on failure.
void SendInitialPacketsToServer(session::Session& session, const platform::ViewWindow& view,
                                VideoHandlers& video, std::string_view renderingMode);

}  // namespace view

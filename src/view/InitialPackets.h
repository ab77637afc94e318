#pragma once
// What the viewer tells the unit right after a login: two pings, its colour
// levels and the size it wants the picture in, and (unless the unit scales)
// a request for the whole picture.

#include <cstdint>
#include <string>
#include <utility>

#include "platform/Desktop.h"
#include "session/Session.h"
#include "view/DispatchPorts.h"

namespace view {

inline constexpr int SEND_INITIAL_PACKETS_CATEGORY = 2700;

// The low (starting) and high (final) colour levels of a rendering mode;
// 255 for a name that is none of the six.
std::pair<uint8_t, uint8_t> ColourLevels(const std::string& renderingMode);

// Throws TextError on failure.
void SendInitialPacketsToServer(session::Session& session, const platform::ViewWindow& view,
                                VideoHandlers& video);

}  // namespace view

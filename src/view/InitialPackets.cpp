#include "view/InitialPackets.h"

#include <array>

#include "platform/Clock.h"
#include "platform/TextError.h"
#include "platform/Trace.h"
#include "protocol/LittleEndian.h"
#include "protocol/PacketTypes.h"
#include "video/ColorModes.h"

namespace view {
namespace {

// Stamped with the microsecond clock that the PING_RESPONSE's trip time is
// measured against.
void SendPing(session::Session& session) {
  std::array<uint8_t, 4> stamp;
  StoreLE32(stamp.data(), static_cast<uint32_t>(platform::MicrosecondCount()));
  PacketHeader header(PING, 0);
  session.SendPacket(header, {stamp.data(), stamp.size()});
}

void SendResize(session::Session& session, platform::Size size) {
  std::array<uint8_t, 8> payload;
  StoreLE32(payload.data(), static_cast<uint32_t>(size.width));
  StoreLE32(payload.data() + 4, static_cast<uint32_t>(size.height));
  PacketHeader header(RESIZE, 0);
  session.SendPacket(header, {payload.data(), payload.size()});
}

}  // namespace

void SendInitialPacketsToServer(session::Session& session, const platform::ViewWindow& view,
                                VideoHandlers& video, std::string_view renderingMode) {
  SendPing(session);
  SendPing(session);

  video::SendColorLevels(session, renderingMode);
  TraceCategory(5, SEND_INITIAL_PACKETS_CATEGORY, "Sending CHANGE_COLOR_LO_HI\n");

  if (!view.ClientOrigin()) throw TextError("SendInitialPacketsToServer: hWnd is NULL");
  const std::optional<platform::Rect> client = view.ClientRect();
  if (!client) throw TextError("SendInitialPacketsToServer: GetClient() rect failed.");

  const platform::Size native = video.NativeSize();
  // Before the unit's first NEW_SIZE there is no native size to hold a
  // scrolled picture to: the view's size is asked for, as when scaled, and
  // the NEW_SIZE that answers it sets the native size up.
  if (video.IsScaled() || native.width <= 0 || native.height <= 0) {
    SendResize(session, {client->Width(), client->Height()});
    TraceCategory(5, SEND_INITIAL_PACKETS_CATEGORY,
                  "Sending RESIZE for current view size: %d  x  %d\n", client->Width(),
                  client->Height());
    return;
  }
  video.ResizeFrameBuffer(native);
  SendResize(session, native);
  TraceCategory(5, SEND_INITIAL_PACKETS_CATEGORY,
                "Sending RESIZE for native size, in send initial packets to server.\n");
  PacketHeader repaint(REPAINT, 0);
  session.SendPacket(repaint);
}

}  // namespace view

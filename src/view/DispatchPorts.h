#pragma once
// What the dispatcher of incoming packets works with beside the session: the
// handler classes stand for the parts that act on their own packet types
// (video and view geometry, input, administration, the modem's call-back).
// Their defaults do nothing, so the dispatcher runs before those parts exist.

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/Desktop.h"
#include "platform/WindowThread.h"
#include "protocol/PacketHeader.h"
#include "session/PostedPacket.h"
#include "video/ColorModes.h"

namespace view {

// Video, frame buffer and view geometry.
class VideoHandlers {
 public:
  virtual ~VideoHandlers() = default;
  virtual void HandleSegment(const PacketHeader& header, const uint8_t* payload, size_t length) {
    (void)header, (void)payload, (void)length;
  }
  // Fills a rectangle of the frame buffer (corners inclusive as the unit sends them).
  virtual void FillRect(int x1, int y1, int x2, int y2, uint8_t red, uint8_t green, uint8_t blue) {
    (void)x1, (void)y1, (void)x2, (void)y2, (void)red, (void)green, (void)blue;
  }
  virtual platform::Size FrameSize() const { return {}; }
  virtual void EndBlock() {}
  virtual void HandleNewSize(session::PostedPacket& packet) { (void)packet; }
  virtual void HandleOneToOne(session::PostedPacket& packet) { (void)packet; }
  // Scaled mode is the view's first-run default.
  virtual bool IsScaled() const { return true; }
  virtual bool IsQuadView() const { return false; }
  // The remote screen's native size as last reported.
  virtual platform::Size NativeSize() const { return {}; }
  virtual void ResizeFrameBuffer(platform::Size size) { (void)size; }
  // The whole frame buffer is to be painted again; the partial-paint flag clears.
  virtual void MarkAllDirty() {}
  // The colour analysis drags out its rectangle with the view's left button
  // while armed (and not in pass-through).
  virtual bool IsColourAnalysisArmed() const { return false; }
  virtual void HandleColourAnalysis(bool down, platform::Point at) { (void)down, (void)at; }
};

// Lock lights and pass-through mode. Keys, mouse and focus go from the
// window straight to the input layer, not through the dispatcher.
class InputHandlers {
 public:
  virtual ~InputHandlers() = default;
  virtual void HandleLeds(const PacketHeader& header) { (void)header; }
  virtual void ForcePassthruMode(bool on) { (void)on; }
  // The operator's pass-through command: enters the mode when it is allowed.
  virtual void PassThroughCommand() {}
};

// Remote administration and the modem's call-back.
class AdminHandlers {
 public:
  virtual ~AdminHandlers() = default;
  virtual void HandleUsersList(const PacketHeader& header, const uint8_t* payload, size_t length) {
    (void)header, (void)payload, (void)length;
  }
  virtual void HandleSwitchSettings(const PacketHeader& header, const uint8_t* payload,
                                    size_t length) {
    (void)header, (void)payload, (void)length;
  }
  virtual void HandleCallBack(session::PostedPacket& packet) { (void)packet; }
};

struct DispatchHandlers {
  VideoHandlers* video = nullptr;
  InputHandlers* input = nullptr;
  AdminHandlers* admin = nullptr;
  // The current rendering mode each login sends; none sends "no valid mode".
  const video::ProgressiveRendering* rendering = nullptr;
};

}  // namespace view

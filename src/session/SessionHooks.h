#pragma once
// What the session controller asks of the parts that sit above it or come
// later: the video decoder and frame buffer, the keyboard pipeline, and the
// main window. Each has a default that does nothing, so the controller runs
// (and is tested) before they exist. Install them before the first connect.

#include <cstdint>
#include <string>

#include "protocol/PacketHeader.h"

namespace session {

class VideoSink {
 public:
  virtual ~VideoSink() = default;
  // Prepares decompression for a new connection; false when it cannot.
  virtual bool InitDecompression() { return true; }
  // The serial line lost bytes and the stream was found again: the next
  // compressed video starts afresh. On the monitor thread.
  virtual void ResumeAfterLoss() {}
  // A video segment, decrypted, on the monitor thread.
  virtual void HandleSegment(const PacketHeader& header, const uint8_t* payload, int32_t length) {
    (void)header, (void)payload, (void)length;
  }
  // Every whole packet received so far has been handled, and some were video:
  // the moment to show them. On the monitor thread.
  virtual void AfterSegments() {}
  // Stops showing updates until the unit has redrawn at the new size.
  virtual void StartBlock() {}
  // Ends any block of updates (a new connection starts unblocked).
  virtual void ClearBlock() {}
  // Ends a block that outlived its time to live; true when one did.
  virtual bool EndStaleBlock() { return false; }
  // The unit's RESIZE echo, decrypted, on the monitor thread as it is cut: it
  // marks the point in the stream after which video is at the new size, so
  // the block must end here, not when the window thread gets to the packet.
  virtual void OnResizeEcho(const uint8_t* payload, int32_t length) { (void)payload, (void)length; }
  // The unit's ONE_TO_ONE answer (its native size), likewise: the unit draws
  // at that size from this point in the stream.
  virtual void OnOneToOneReply(const uint8_t* payload, int32_t length) {
    (void)payload, (void)length;
  }
};

class KeyboardLink {
 public:
  virtual ~KeyboardLink() = default;
  // Takes in the local lock lights at the start of a connection; returns them.
  virtual uint8_t ReadLocalLockLights() { return 0; }
};

// The main window's side of the link, beside the commands posted to it.
class SessionObserver {
 public:
  virtual ~SessionObserver() = default;
  // A connect command began: the tool bar and the connect clock ("00:00:00").
  virtual void OnConnectStarted() {}
  // The connection is going away: the tool bar.
  virtual void OnDisconnecting() {}
  // The connection is gone: forget what the unit told this connection (the
  // logins made, the switch port table).
  virtual void OnConnectionClosed() {}
  // The main window's status area.
  virtual void ShowStatus(const std::string& text) { (void)text; }
};

struct SessionHooks {
  VideoSink* video = nullptr;
  KeyboardLink* keyboard = nullptr;
  SessionObserver* observer = nullptr;
};

}  // namespace session

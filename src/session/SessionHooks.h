#pragma once
// What the session controller asks of the parts that sit above it or come
// later: the video decoder and frame buffer, the keyboard pipeline, and the
// observer of the link's news. Each has a default that does nothing, so the
// controller runs (and is tested) before they exist. Install them before the
// first connect.

#include <cstdint>
#include <string>

#include "protocol/PacketHeader.h"
#include "session/PostedPacket.h"

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

// Why a session failed, as the operator is told: a title and a text (a text
// already worded for the operator begins with "--").
struct FailureReport {
  std::string title;
  std::string text;
};

// What a login was granted: the operator's rights and the cipher the session
// runs under from now on (an ENCRYPTION_ value).
struct LoginGrant {
  bool administrator = false;
  int cipher = 0;
};

// The link's news for the window thread. The connect and monitor threads never
// call it themselves: they post a task that does, so every call comes on the
// window thread, in the order the link saw it (packets in order, the end of
// the link after its last packet, the end before the failure that explains it).
class SessionObserver {
 public:
  virtual ~SessionObserver() = default;

  // Posted by the link's threads.
  // A modem or cable line's progress ("Connecting...", "Dialing...").
  virtual void OnConnecting(const std::string& progress) { (void)progress; }
  // The link is up and negotiated; the login comes next.
  virtual void OnConnected() {}
  // A packet the monitor thread cut, other than video; the receiver may
  // decrypt it in place.
  virtual void OnPacket(PostedPacket& packet) { (void)packet; }
  // Video is in the frame buffer (only with no repaint delay; one waits at a time).
  virtual void OnVideoWritten() {}
  // The link is closed; status is the text the link left in the status area,
  // empty when it was closed by the operator or cleanly by the unit.
  virtual void OnLinkEnded(const std::string& status) { (void)status; }
  virtual void OnFailure(const FailureReport& failure) { (void)failure; }
  // A text for the operator from the connect thread (a bad setting found on the way).
  virtual void OnNotice(const std::string& text) { (void)text; }

  // Called on the window thread as the session acts.
  // The unit accepted the login (LOGGED_IN).
  virtual void OnLoggedIn(const LoginGrant& grant) { (void)grant; }
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

#pragma once
// What the link's threads tell the session, and ask of it. The link knows
// sockets, serial lines and its threads; logins, failures for the operator and
// the failover walk are the session's. Called on the link's threads unless
// said otherwise.

#include <cstddef>
#include <cstdint>
#include <string>

namespace session {

class LinkEvents {
 public:
  virtual ~LinkEvents() = default;

  // The monitor thread has started: the first keep-alive goes out.
  virtual void OnMonitorStarted() = 0;
  virtual bool IsConnected() const = 0;
  virtual bool IsLoggedIn() const = 0;
  // Bytes received while connected, for the packet cutter.
  virtual void OnReceived(const uint8_t* bytes, size_t count) = 0;
  // The serial line's stream was found again after a loss.
  virtual void OnResynchronised() = 0;

  // Leaves the connected state at once; of the threads that race to close a
  // link, exactly one gets true.
  virtual bool CloseLink() = 0;
  // The link has ended under the session; status is for the status area,
  // closed whether this thread's CloseLink closed it.
  virtual void OnLinkEnded(const std::string& status, bool closed) = 0;
  // The failure the operator is told of: recorded and reported, recorded only
  // (to be reported once the link has ended), or its title alone.
  virtual void ReportFailure(const std::string& title, const std::string& text) = 0;
  virtual void RecordFailure(const std::string& title, const std::string& text) = 0;
  virtual void PostFailure(const std::string& title, const std::string& text) = 0;
  virtual void SetFailureTitle(const std::string& title) = 0;
  // The monitor thread is ending: a link lost before login goes on with the
  // next address.
  virtual void OnMonitorEnded() = 0;

  // A modem or cable line's progress, for the operator.
  virtual void OnProgress(const std::string& text) = 0;
  // The unit called back and the line is up again: a fresh stream starts.
  // False when the decompression could not be prepared.
  virtual bool OnCallBackAnswered() = 0;
  // The call-back's line is up and carries the stream again.
  virtual void OnCallBackLinkUp() = 0;
};

}  // namespace session

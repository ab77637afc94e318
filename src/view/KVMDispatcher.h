#pragma once
// The view's handler of incoming packets (window thread): every packet the
// receive path posts reaches OnPacket, is decrypted, counted and handed to the
// part that owns its type. Keys, mouse and focus do not come here. It keeps
// what the rest of the viewer reads back: the receive counters, the last ping
// trip, the reply mailboxes, the unit's configuration document and resolution
// text, and the texts of the last failure.

#include <array>
#include <cstdint>
#include <string>

#include "admin/LoginsList.h"
#include "platform/Desktop.h"
#include "platform/WindowThread.h"
#include "session/Login.h"
#include "session/PostedPacket.h"
#include "session/Session.h"
#include "view/DispatchPorts.h"
#include "view/ReplyMailbox.h"

namespace view {

inline constexpr int KVM_MESSAGE_HANDLER_CATEGORY = 1600;
inline constexpr int PACKET_TIMING_CATEGORY = 400;
inline constexpr uint32_t SERIAL_REPLY_MAX_CHARS = SERIAL_REPLY_CAPACITY - 1;

class KVMDispatcher {
 public:
  KVMDispatcher(session::Session& session, session::Login& login, platform::ViewWindow& view,
                platform::OperatorDialogs& dialogs, std::string productName);

  // A null member keeps the do-nothing default.
  void SetHandlers(const DispatchHandlers& handlers);

  // A packet the monitor thread cut, in the order it came. Once the link is
  // closed only the unit's last plain text is still shown; false for a packet
  // dropped. Never throws: a failure is reported and, unless it is a
  // "WARNING:", ends the connection.
  bool OnPacket(session::PostedPacket& packet);

  uint32_t ReceiveCount(uint8_t type) const { return m_counts[type]; }
  uint32_t UnknownTypeCount() const { return m_unknownCount; }
  // Microseconds; 0 until a PING_RESPONSE came back.
  uint32_t LastPingTrip() const { return m_lastPingTrip; }
  // The stamp the last PING_RESPONSE carried back: a caller that sent its own
  // ping knows from it when everything the unit sent before the answer is in.
  uint32_t LastPingStamp() const { return m_lastPingStamp; }
  ReplyMailbox& FileReply() { return m_fileReply; }
  ReplyMailbox& SerialReply() { return m_serialReply; }
  const std::string& ServerConfigText() const { return m_serverConfig; }
  // Why the last document could not be read; empty when it was.
  const std::string& ServerConfigFault() const { return m_serverConfigFault; }
  // The accounts list the unit sent last; when it could not be read as it
  // came, the fault and an empty list (the list is never half-read).
  const admin::LoginsList& UsersList() const { return m_usersList; }
  const std::string& UsersListFault() const { return m_usersListFault; }
  // The switch table text the unit sent last.
  const std::string& SwitchSettingsText() const { return m_switchSettings; }
  const std::string& ViewerResolution() const { return m_viewerResolution; }
  const std::string& ErrorShortText() const { return m_errorShort; }
  const std::string& ErrorLongText() const { return m_errorLong; }

  // A failure of a handler of the view (a packet's, or the input's): reported
  // as "Unable to communicate with ..." and, unless it is a "WARNING:", the
  // end of the connection. Never throws.
  void HandleFailure(const std::string& message);

 private:
  // Runs work, reporting what it throws as a failure.
  template <class Work>
  void Guarded(Work work);
  void HandlePacket(session::PostedPacket& packet);
  void Dispatch(session::PostedPacket& packet);
  void KeepUsersList(const PacketHeader& header, const uint8_t* bytes, size_t size);
  void ShowServerText(const PacketHeader& header, const std::string& text);
  bool HandleLateText(session::PostedPacket& packet);
  void ReportAndRecover(const std::string& message);

  session::Session& m_session;
  session::Login& m_login;
  platform::ViewWindow& m_view;
  platform::OperatorDialogs& m_dialogs;
  std::string m_productName;
  DispatchHandlers m_handlers;

  std::array<uint32_t, 256> m_counts{};
  uint32_t m_unknownCount = 0;
  uint32_t m_lastPingTrip = 0;
  uint32_t m_lastPingStamp = 0;
  ReplyMailbox m_fileReply{FILE_REPLY_CAPACITY};
  ReplyMailbox m_serialReply{SERIAL_REPLY_CAPACITY};
  std::string m_serverConfig;
  std::string m_serverConfigFault;
  admin::LoginsList m_usersList;
  std::string m_usersListFault;
  std::string m_switchSettings;
  std::string m_viewerResolution;
  std::string m_errorShort;
  std::string m_errorLong;
};

}  // namespace view

#include "view/KVMDispatcher.h"

#include <algorithm>
#include <string_view>
#include <utility>

#include "admin/FileRequest.h"
#include "admin/ServerConfigData.h"
#include "admin/SwitchSettings.h"
#include "admin/UsersPacket.h"
#include "platform/Clock.h"
#include "platform/Format.h"
#include "platform/TextError.h"
#include "platform/Trace.h"
#include "protocol/LittleEndian.h"
#include "protocol/PacketTypes.h"
#include "session/LineSpeed.h"
#include "view/InitialPackets.h"
#include "view/OperatorMessages.h"
#include "view/ViewGeometry.h"

namespace view {
namespace {

using session::PostedPacket;

VideoHandlers g_noVideo;
InputHandlers g_noInput;
AdminHandlers g_noAdmin;

constexpr size_t FILL_PAYLOAD = 11;
constexpr size_t SIZE_PAYLOAD = 8;
constexpr size_t WORD = 4;

constexpr bool IsTableType(uint8_t type) {
  switch (type) {
    case SEGMENT:
    case MULTISEGMENT:
    case KBD_LEDS:
    case KEEP_ALIVE:
    case PING:
    case PING_RESPONSE:
    case DISCONNECT:
    case TEXT_MSG:
    case FILL_BMP_WITH_COLOR:
    case RESIZE:
    case NEW_SIZE:
    case ONE_TO_ONE:
    case VIEWER_RESOLUTION_STRING:
    case GET_FILE:
    case PUT_FILE:
    case SERIAL_OPEN:
    case SERIAL_WRITE:
    case SERIAL_READ:
    case USERS_LIST:
    case THROUGHPUT_TEST_PACKET:
    case ASK_USER_QUESTIONS:
    case LOGGED_IN:
    case CALL_BACK:
    case HAND_SHAKE:
    case SERVER_CONFIG_DATA:
    case SWITCH_SETTINGS:
      return true;
    default:
      return false;
  }
}

// Trace lines of this handler: level 5 in its own category.
template <class... Args>
void TraceHandler(const char* format, Args... args) {
  TraceCategory(5, KVM_MESSAGE_HANDLER_CATEGORY, format, args...);
}
void TraceHandler(const char* text) { TraceCategory(5, KVM_MESSAGE_HANDLER_CATEGORY, "%s", text); }

// A packet's payload as a text: up to its first zero, within DataSize.
std::string PayloadText(const PacketHeader& header, const std::vector<uint8_t>& payload) {
  const size_t meaningful = std::min<size_t>(header.DataSize, payload.size());
  // An empty payload has no buffer at all, which strnlen may not be given.
  const std::string_view text(reinterpret_cast<const char*>(payload.data()), meaningful);
  return std::string(text.substr(0, text.find('\0')));
}

void RequirePayload(const PostedPacket& packet, size_t bytes, const char* name) {
  if (packet.Payload().size() < bytes)
    throw TextError(
        Format("WARNING: %s packet of %zu bytes is too short.", name, packet.Payload().size()));
}

// The size the unit echoes when the picture asked for was larger than any it
// draws: kept to its largest in the direction that was too large, never larger
// than asked.
bool IsUnitsLargestFor(platform::Size echoed, platform::Size asked) {
  const bool tooLarge = asked.width > MAX_REMOTE_WIDTH || asked.height > MAX_REMOTE_HEIGHT;
  return tooLarge && echoed.width > 0 && echoed.height > 0 &&
         echoed.width <= std::min(asked.width, MAX_REMOTE_WIDTH) &&
         echoed.height <= std::min(asked.height, MAX_REMOTE_HEIGHT);
}

}  // namespace

KVMDispatcher::KVMDispatcher(session::Session& session, session::Login& login,
                             platform::ViewWindow& view, platform::OperatorDialogs& dialogs,
                             std::string productName)
    : m_session(session),
      m_login(login),
      m_view(view),
      m_dialogs(dialogs),
      m_productName(std::move(productName)),
      m_handlers{&g_noVideo, &g_noInput, &g_noAdmin} {}

void KVMDispatcher::SetHandlers(const DispatchHandlers& handlers) {
  if (handlers.video) m_handlers.video = handlers.video;
  if (handlers.input) m_handlers.input = handlers.input;
  if (handlers.admin) m_handlers.admin = handlers.admin;
  if (handlers.rendering) m_handlers.rendering = handlers.rendering;
}

template <class Work>
void KVMDispatcher::Guarded(Work work) {
  try {
    work();
  } catch (const TextError& e) {
    HandleFailure(e.Text());
  } catch (const std::exception& e) {
    HandleFailure(e.what());
  } catch (...) {
    HandleFailure(UnknownErrorIn("CBrenvikView", "KVMMessageHandler"));
  }
}

bool KVMDispatcher::OnPacket(PostedPacket& packet) {
  bool handled = true;
  Guarded([&] {
    if (m_session.IsConnected())
      HandlePacket(packet);
    else
      handled = HandleLateText(packet);
  });
  return handled;
}

void KVMDispatcher::HandlePacket(PostedPacket& packet) {
  const PacketHeader header = packet.Header();
  std::vector<uint8_t>& payload = packet.Payload();
  if (header.encrypted != 0)
    m_session.Cipher().DecryptPayload(payload.data(),
                                      std::min<size_t>(header.PayloadSize, payload.size()), header);
  m_session.Counters().lastHandled = packet.QueueNumber();
  if (IsTableType(header.type)) {
    ++m_counts[header.type];
  } else {
    TraceHandler("WARNING: Unknown packet type recieved: %d\n", header.type);
    ++m_unknownCount;
    return;
  }
  Dispatch(packet);
}

void KVMDispatcher::Dispatch(PostedPacket& packet) {
  const PacketHeader& header = packet.Header();
  const std::vector<uint8_t>& payload = packet.Payload();
  const uint8_t* bytes = payload.data();
  const size_t size = payload.size();
  VideoHandlers& video = *m_handlers.video;
  AdminHandlers& administration = *m_handlers.admin;

  switch (header.type) {
    case SEGMENT:
    case MULTISEGMENT:
      m_session.Counters().videoSegmentMode = header.type == SEGMENT ? 0 : 3;
      video.HandleSegment(header, bytes, size);
      return;
    case KBD_LEDS:
      TraceHandler("KBD_LEDS\n");
      m_handlers.input->HandleLeds(header);
      return;
    case KEEP_ALIVE:
      m_session.OnKeepAliveReceived();
      return;
    case PING: {
      PacketHeader response(PING_RESPONSE, header.subtype);
      m_session.SendPacket(response, {bytes, std::min<size_t>(header.DataSize, size)});
      return;
    }
    case PING_RESPONSE:
      if (size < WORD) return;
      m_lastPingStamp = LoadLE32(bytes);
      m_lastPingTrip = static_cast<uint32_t>(platform::MicrosecondCount()) - m_lastPingStamp;
      TraceCategory(5, PACKET_TIMING_CATEGORY,
                    "Last Ping Trip Time = %6.2f ms  PayloadSize %d   DataSize %d\n",
                    m_lastPingTrip * 0.001, header.PayloadSize, header.DataSize);
      return;
    case DISCONNECT:
      TraceHandler("Disconnect packet received, and being handled.\n");
      m_session.Disconnect(false);
      return;
    case TEXT_MSG:
      TraceHandler("TEXT_MSG\n");
      ShowServerText(header, PayloadText(header, payload));
      return;
    case FILL_BMP_WITH_COLOR: {
      RequirePayload(packet, FILL_PAYLOAD, "FILL_BMP_WITH_COLOR");
      TraceHandler("FILL_BMP_WITH_COLOR %d  %d  %d  Encrypted: %d\n", bytes[8], bytes[9], bytes[10],
                   header.encrypted);
      video.FillRect(LoadLE16(bytes), LoadLE16(bytes + 2), LoadLE16(bytes + 4), LoadLE16(bytes + 6),
                     bytes[8], bytes[9], bytes[10]);
      m_view.Invalidate(std::nullopt, false);
      return;
    }
    case RESIZE: {
      RequirePayload(packet, SIZE_PAYLOAD, "RESIZE");
      const platform::Size size{static_cast<int>(LoadLE32(bytes)),
                                static_cast<int>(LoadLE32(bytes + 4))};
      const platform::Size frame = video.FrameSize();
      if (size == frame) {
        video.EndBlock();
      } else if (IsUnitsLargestFor(size, frame)) {
        // Asked for more than it can draw (full screen on a large monitor),
        // the unit draws at its largest: the picture takes that size, centred,
        // rather than staying black.
        video.ResizeFrameBuffer(size);
        video.EndBlock();
      }
      return;
    }
    case NEW_SIZE:
      video.HandleNewSize(packet);
      return;
    case ONE_TO_ONE:
      video.HandleOneToOne(packet);
      return;
    case VIEWER_RESOLUTION_STRING:
      m_viewerResolution = PayloadText(header, payload);
      m_view.SetStatusText(3, video.IsQuadView() ? std::string() : m_viewerResolution);
      return;
    case GET_FILE:
      if (header.subtype != 1)
        m_fileReply.Store(header.subtype, nullptr, 0, 0);
      else if (size < WORD || LoadLE32(bytes) > size - WORD ||
               LoadLE32(bytes) > m_fileReply.Capacity())
        m_fileReply.Store(admin::GET_FILE_CUT_SHORT, nullptr, 0, 0);
      else
        m_fileReply.Store(header.subtype, bytes + WORD, LoadLE32(bytes), LoadLE32(bytes));
      return;
    case PUT_FILE:
      m_fileReply.SetStatus(header.subtype);
      return;
    case SERIAL_OPEN:
    case SERIAL_WRITE:
      m_serialReply.SetStatus(header.subtype);
      return;
    case SERIAL_READ:
      if (header.subtype != 0)
        m_serialReply.SetStatus(header.subtype);
      else if (size >= WORD)
        m_serialReply.Store(0, bytes + WORD, size - WORD,
                            std::min(LoadLE32(bytes), SERIAL_REPLY_MAX_CHARS));
      else
        m_serialReply.Store(0, nullptr, 0, 0);
      return;
    case USERS_LIST:
      KeepUsersList(header, bytes, size);
      administration.HandleUsersList(header, bytes, size);
      return;
    case THROUGHPUT_TEST_PACKET:
      TraceHandler("THROUGHPUT_TEST_PACKET\n");
      session::HandleTestPacket(m_session, bytes, size);
      return;
    case ASK_USER_QUESTIONS:
      TraceHandler("ASK_USER_QUESTIONS\n");
      m_login.AskUserQuestions(header, bytes, std::min<size_t>(header.DataSize, size));
      return;
    case LOGGED_IN:
      TraceHandler("Logged in.\n");
      m_login.LoggedIn(header, bytes, size);
      SendInitialPacketsToServer(m_session, m_view, video,
                                 m_handlers.rendering ? m_handlers.rendering->CurrentMode() : "");
      m_handlers.input->PassThroughCommand();
      m_session.Failure().EndAttempt();
      TraceHandler("Send initial packets to server.\n");
      return;
    case CALL_BACK:
      administration.HandleCallBack(packet);
      return;
    case HAND_SHAKE:
      return;
    case SERVER_CONFIG_DATA:
      try {
        m_serverConfig = admin::HandleServerConfigData(header, bytes, size);
        m_serverConfigFault.clear();
      } catch (const TextError& e) {
        m_serverConfigFault = e.Text();
        throw;
      }
      return;
    case SWITCH_SETTINGS:
      TraceHandler("SWITCH_SETTINGS\n");
      m_switchSettings = admin::SwitchSettingsText(header, bytes, size);
      administration.HandleSwitchSettings(header, bytes, size);
      return;
    default:
      return;
  }
}

// A list the viewer cannot hold exactly is kept out, so no edit can send back
// a list the unit did not send; the session goes on.
void KVMDispatcher::KeepUsersList(const PacketHeader& header, const uint8_t* bytes, size_t size) {
  try {
    m_usersList = admin::ReadUsersList(header, bytes, size);
    m_usersListFault.clear();
  } catch (const TextError& e) {
    TraceHandler("%s\n", e.Text().c_str());
    m_usersList.Clear();
    m_usersListFault = e.Text();
  }
}

// The unit says why it ends a session in a text sent right before it closes
// the socket, so that text often arrives after the link is gone. A plain one
// still reaches the operator; nothing else from a closed link is acted on.
bool KVMDispatcher::HandleLateText(PostedPacket& packet) {
  if (packet.Header().type != TEXT_MSG || packet.Header().encrypted != 0) return false;
  TraceHandler("TEXT_MSG\n");
  ShowServerText(packet.Header(), PayloadText(packet.Header(), packet.Payload()));
  return true;
}

void KVMDispatcher::ShowServerText(const PacketHeader& header, const std::string& text) {
  if (IsUnitClosingText(text)) {
    m_session.Failure().EndAttempt();
    m_session.Disconnect(false);
  }
  if (m_session.Failure().IsAttemptInProgress()) {
    m_session.Failure().AppendAttemptMessage("While connecting to: " + m_session.TargetLocation() +
                                             "\n" + text + "\n");
    return;
  }
  if (header.subtype != 0)
    ShowTimedMessageText(m_dialogs, text, header.subtype);
  else
    m_dialogs.MessageBox(m_productName, text, platform::DialogButtons::Ok,
                         platform::DialogIcon::Information);
}

void KVMDispatcher::HandleFailure(const std::string& message) {
  try {
    ReportAndRecover(message);
  } catch (const std::exception& e) {
    Trace("Failure while handling a failure: %s\n", e.what());
  }
}

void KVMDispatcher::ReportAndRecover(const std::string& message) {
  if (m_session.IsConnected()) {
    const std::string name = m_session.TargetLocation();
    m_errorShort = "Unable to communicate with " + name;
    m_errorLong = "Error in KVMMessageHandler ():\nLikely cause - unable to communicate with " +
                  name + ". \n" + message;
    m_session.ReportFailure(m_errorShort, m_errorLong);
  }
  if (message.rfind("WARNING:", 0) == 0)
    m_handlers.input->ForcePassthruMode(false);
  else
    m_session.Disconnect(false);
}

}  // namespace view

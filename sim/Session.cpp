#include "Session.h"

#include <algorithm>
#include <random>
#include <stdexcept>

#include "CommandNote.h"
#include "KeyEvent.h"
#include "Log.h"
#include "Login.h"

namespace sim {

namespace {

constexpr int MAX_WIDTH = 1600, MAX_HEIGHT = 1200;
constexpr int MAX_LOGIN_FAILURES = 3;
constexpr std::uint16_t FILL_CODE = 0xF81F;  // expands to exactly 255, 0, 255
constexpr int LINGER_MS = 2000;
constexpr int RESYNC_MARKERS = 5;

Packet SizePacket(std::uint8_t type, int width, int height) {
  Packet packet{type, 0, {}};
  PutLe32(packet.data, static_cast<std::uint32_t>(width));
  PutLe32(packet.data, static_cast<std::uint32_t>(height));
  return packet;
}

// A small square in the top right corner that the unit paints with FILL_BMP_WITH_COLOR
// instead of video, so both ways of drawing must reach the viewer's picture.
std::optional<Rect> FillSquare(int width, int height) {
  if (width < 32 || height < 32) return std::nullopt;
  return Rect{width - 16, 4, 12, 12};
}

}  // namespace

Session::Session(Link& link, const UnitOptions& options, const std::atomic<bool>& stop,
                 Target& target, UnitRecords& records)
    : m_link(link),
      m_options(options),
      m_stop(stop),
      m_target(target),
      m_records(records),
      m_administration(records, options, m_ciphers, [this](const Packet& p) { Send(p); }),
      m_strip(options.logStrip),
      m_noise(options.faults.noiseRate) {
  if (!options.powerProfile.empty()) PreloadPowerProfile(records.files, options.powerProfile);
}

void Session::Run(const std::function<void()>& ending) {
  bool linger = true;
  try {
    Serve();
  } catch (const std::exception& e) {
    Log("session ended: %s", e.what());
    linger = false;
  }
  Log("the viewer sent %u keyboard and %u mouse packets", m_keystrokes, m_mouseEvents);
  m_target.keyboard.ReleaseAll();
  ending();
  if (linger) m_link.Linger(LINGER_MS);
}

void Session::Serve() {
  m_agreement = Negotiate(m_link, m_options, false, m_stop);
  const int agreed = m_agreement.encryption.value_or(CIPHER_NONE);
  m_sessionCipher = agreed == CIPHER_TRIPLE_DES || agreed == CIPHER_BLOWFISH ? agreed : CIPHER_NONE;
  const int special = m_agreement.specialType.value_or(-1);
  m_ciphers.accountsList = special >= CIPHER_NONE && special <= CIPHER_BLOWFISH ? special : -1;
  Log("negotiated: viewer '%s', session cipher %d", m_agreement.viewerVersion.c_str(),
      m_sessionCipher);

  m_started = m_lastFromViewer = Clock::now();
  m_nextKeepAlive = m_started;
  RunTimers();
  Ask();

  std::uint8_t buffer[65536];
  while (!m_done && !m_stop) {
    const std::size_t got = m_link.ReadSome(buffer, sizeof buffer, 10);
    if (got > 0) {
      m_lastFromViewer = Clock::now();
      m_reader.Append(buffer, got);
      while (!m_done) {
        auto packet = m_reader.Next(m_ciphers, m_keys ? &*m_keys : nullptr);
        if (!packet) break;
        Handle(*packet);
      }
      // The keys of one read are drawn as one update, as the target's screen would show them.
      if (m_screenChanged && m_streaming) SendPicture(false);
      m_screenChanged = false;
    }
    if (!m_done) SendAskedChanges();
    if (!m_done) RunTimers();
  }
}

void Session::RunTimers() {
  const auto now = Clock::now();
  if (m_options.keepAliveSeconds > 0 && now >= m_nextKeepAlive) {
    m_nextKeepAlive = now + std::chrono::seconds(m_options.keepAliveSeconds);
    if (!(m_options.faults.noKeepAlive && m_keepAlivesSent > 0)) {
      Send({KEEP_ALIVE, static_cast<std::uint8_t>(m_options.keepAliveSeconds & 0xFF), {}});
      ++m_keepAlivesSent;
    }
  }
  if (!m_loggedIn && m_options.loginTimeoutSeconds > 0 &&
      now - m_started > std::chrono::seconds(m_options.loginTimeoutSeconds))
    return CloseWith("Time expired for logging in");
  const std::uint32_t inactivity = m_agreement.inactivitySeconds.value_or(0);
  if (m_loggedIn && inactivity > 0 && now - m_lastFromViewer > std::chrono::seconds(inactivity))
    return CloseWith("Inactivity timer expired.");
  if (m_streaming && m_options.frameIntervalMs > 0 && now >= m_nextFrame) {
    m_nextFrame = now + std::chrono::milliseconds(m_options.frameIntervalMs);
    ++m_frame;
    SendPicture(false);
  }
}

void Session::SendAskedChanges() {
  if (!m_streaming || !m_options.nextScreenChange) return;
  // A stalled unit sends nothing, so it takes no change it could not report as sent.
  while (!m_stalled && !m_done) {
    const auto change = m_options.nextScreenChange();
    if (!change) return;
    const Rgb colour = m_target.desktop.Change(*change);
    SendPicture(false);
    if (m_options.onScreenChangeSent) m_options.onScreenChangeSent(*change, colour, m_pictureLeft);
  }
}

void Session::Handle(const Packet& packet) {
  Log("received %s subtype %d, %zu bytes", TypeName(packet.type), packet.subtype,
      packet.data.size());
  if (m_loggedIn && m_options.onCommand)
    if (const auto note = CommandNote(packet)) m_options.onCommand(*note);
  switch (packet.type) {
    case PING:
      return Send({PING_RESPONSE, packet.subtype, packet.data});
    case THROUGHPUT_TEST_PACKET:
      return Send(packet);
    case DISCONNECT:
      m_done = true;
      return;
    case QUESTION_REPLIES:
      return HandleReplies(packet);
    case RESEND_FROM:
      return Resend(packet);
    case KBD:
      ++m_keystrokes;
      if (m_loggedIn) HandleKey(packet);
      return;
    case MOUSE:
      ++m_mouseEvents;
      if (m_loggedIn) HandleMouse(packet);
      return;
    case RESIZE:
    case REPAINT:
    case ONE_TO_ONE:
    case CHANGE_COLOR_LO_HI:
      if (m_loggedIn) HandleVideoRequest(packet);
      return;
    default:
      if (PowerStrip::IsSerial(packet.type)) {
        if (!m_loggedIn) return;
        if (const auto reply = m_strip.Handle(packet, m_admin)) Send(*reply);
        return;
      }
      if (Administration::IsAdministrative(packet.type)) {
        if (m_loggedIn) m_administration.Handle(packet, m_admin);
        return;
      }
      // Everything else the viewer may send (keep-alive, throughput report, grab source, video
      // offsets, tuning, ...) changes nothing in this model of the unit.
      return;
  }
}

void Session::Ask() {
  m_challenge = RandomChallenge(m_options.challengeLength);
  Send(AskUserQuestions(m_challenge));
}

void Session::HandleReplies(const Packet& packet) {
  if (m_loggedIn) return;
  const auto replies = ParseQuestionReplies(packet);
  if (replies && replies->count == 0) {
    Log("the operator cancelled the login");
    return;
  }
  const User* user = replies && !m_options.refuseLogin
                         ? CheckLogin(m_records.users, m_challenge, *replies)
                         : nullptr;
  const Bytes cipherByte{static_cast<std::uint8_t>(m_sessionCipher)};
  if (!user) {
    Log("login refused");
    Send({LOGGED_IN, 0, cipherByte});
    if (++m_failures >= MAX_LOGIN_FAILURES) return CloseWith("Too many login attempts.");
    return Ask();
  }
  if (m_options.serial.callBack && m_link.CanCallBack()) {
    Log("'%s' is called back before the login is granted", user->name.c_str());
    Send({CALL_BACK, 0, {}});
    if (!m_link.CallBack()) {
      m_done = true;
      return;
    }
  }
  Log("'%s' logged in%s", user->name.c_str(), user->admin ? " as administrator" : "");
  Send({LOGGED_IN, static_cast<std::uint8_t>(user->admin ? 2 : 1), cipherByte});
  m_loggedIn = true;
  m_admin = user->admin;
  m_keys = SessionKeys::FromPassword(user->password);
  m_ciphers.session = m_sessionCipher;

  m_width = m_options.nativeWidth;
  m_height = m_options.nativeHeight;
  m_encoder.Reset(m_width, m_height);
  Send(m_options.faults.bigScreen ? SizePacket(NEW_SIZE, MAX_WIDTH + 1, MAX_HEIGHT)
                                  : SizePacket(NEW_SIZE, m_width, m_height));
  if (!m_options.textMessage.empty()) SendText(m_options.textMessage, m_options.textMessageSeconds);
  if (m_options.faults.unknownType) Send({99, 0, Bytes{1, 2, 3, 4}});
  if (m_admin) m_administration.Greet();
}

void Session::HandleVideoRequest(const Packet& packet) {
  switch (packet.type) {
    case RESIZE:
      if (packet.data.size() < 8) return;
      Resize(static_cast<std::int32_t>(GetLe32(&packet.data[0])),
             static_cast<std::int32_t>(GetLe32(&packet.data[4])));
      return;
    case REPAINT:
      m_streaming = true;
      return SendPicture(true);
    case ONE_TO_ONE:
      // The viewer is fitting itself to the target's own screen: the unit says
      // how large that is and draws at it from now on, without being asked.
      Send(SizePacket(ONE_TO_ONE, m_options.nativeWidth, m_options.nativeHeight));
      return DrawAt(m_options.nativeWidth, m_options.nativeHeight);
    case CHANGE_COLOR_LO_HI:
      if (packet.data.size() < 2) return;
      m_lowLevel = packet.data[0];
      m_highLevel = packet.data[1];
      if (m_streaming) SendPicture(true);
      return;
  }
}

void Session::HandleKey(const Packet& packet) {
  const auto key = ReadKeyEvent(packet);
  if (!key) {
    Log("a KBD packet of %zu bytes is too short for a key", packet.data.size());
    return;
  }
  if (m_options.onKey) m_options.onKey(*key);
  Keyboard& keyboard = m_target.keyboard;
  const std::uint8_t locks = keyboard.Locks();
  if (const auto typed = keyboard.Apply(*key)) {
    m_target.desktop.NotesWindow().Type(*typed);
    m_screenChanged = true;
  }
  if (keyboard.Locks() != locks) Send({KBD_LEDS, keyboard.Locks(), {}});
}

void Session::HandleMouse(const Packet& packet) {
  const auto mouse = ReadMouseEvent(packet);
  if (!mouse) {
    Log("a MOUSE packet of %zu bytes is too short", packet.data.size());
    return;
  }
  if (m_options.onMouse) m_options.onMouse(*mouse);
}

void Session::Resize(int width, int height) {
  width = std::clamp(width, 1, MAX_WIDTH);
  height = std::clamp(height, 1, MAX_HEIGHT);
  Send(SizePacket(RESIZE, width, height));
  DrawAt(width, height);
}

void Session::DrawAt(int width, int height) {
  m_width = width;
  m_height = height;
  m_encoder.Reset(m_width, m_height);
  m_streaming = true;
  SendPicture(true);
}

void Session::SendPicture(bool full) {
  if (m_stalled) return;
  if (!m_videoSent) SendFaultsBeforeVideo();
  const auto square = m_options.fillSquare ? FillSquare(m_width, m_height) : std::nullopt;
  m_encoder.KeepOut(square, FILL_CODE);

  std::vector<Packet> packets;
  const bool progressive = full && m_lowLevel != m_highLevel &&
                           (m_lowLevel == LEVEL_BLACK_WHITE || m_lowLevel == LEVEL_GREY);
  if (progressive)
    packets = m_encoder.Update(m_target.desktop.Render(m_width, m_height, m_frame, m_lowLevel),
                               true, m_options.encoding);
  auto rest = m_encoder.Update(m_target.desktop.Render(m_width, m_height, m_frame, m_highLevel),
                               full && !progressive, m_options.encoding);
  packets.insert(packets.end(), rest.begin(), rest.end());
  // The picture is on disk before its packets leave, so whoever has decoded them can compare.
  if (!m_options.dumpFramePath.empty()) {
    try {
      WritePpm(m_encoder.Held(), m_options.dumpFramePath);
    } catch (const std::runtime_error& e) {
      Warn("%s", e.what());
    }
  }

  if (m_options.onPictureSend) m_options.onPictureSend();
  m_pictureLeft = Clock::now();
  for (const auto& packet : packets) SendVideo(packet);
  if (full && square) {
    const Rgb colour = Expand(FILL_CODE);
    Packet fill{FILL_BMP_WITH_COLOR, 0, {}};
    PutLe16(fill.data, square->x);
    PutLe16(fill.data, square->y);
    PutLe16(fill.data, square->x + square->width - 1);
    PutLe16(fill.data, square->y + square->height - 1);
    fill.data.insert(fill.data.end(), {colour.r, colour.g, colour.b});
    Send(fill);
  }
  if (full && m_options.faults.dropCarrier)
    throw std::runtime_error("dropping the line after the first picture (fault)");
  if (full && m_options.faults.stall) {
    Log("stalling (fault)");
    m_stalled = true;
  }
}

void Session::SendFaultsBeforeVideo() {
  const Faults& faults = m_options.faults;
  if (faults.finishedStream) m_encoder.FinishNextStream();
  if (faults.oversizePacket) {
    Log("sending an oversized packet (fault)");
    Send({SEGMENT, 1, Bytes(MAX_WIRE_PAYLOAD + 100, 0x20)});
  }
  if (faults.garbage) {
    Log("sending 100,001 bytes of garbage (fault)");
    std::mt19937 generator(7);
    Bytes garbage(100001);
    for (auto& b : garbage) b = static_cast<std::uint8_t>(generator());
    garbage[0] = 0;
    m_link.SendAll(garbage);
  }
}

void Session::Send(const Packet& packet) {
  if (m_stalled || m_done) return;
  Bytes wire = EncodePacket(packet, m_ciphers.ForSending(packet.type), m_keys ? &*m_keys : nullptr);
  m_resendLog.Record(packet, wire);
  Transmit(std::move(wire));
}

void Session::Transmit(Bytes wire) {
  // Noise before login would only repeat the login, and the first video packet carries the
  // header of the one compressed stream, which no resend can give back; the picture after it
  // is what must survive the noise.
  m_link.SendAll(m_noisy ? m_noise.Apply(std::move(wire)) : wire);
}

void Session::Resend(const Packet& packet) {
  if (packet.data.size() < 4) return;
  const std::uint32_t received = GetLe32(packet.data.data());
  const auto lost = m_resendLog.After(received);
  Log("the viewer took in %u packets; marking the stream and sending %zu again", received,
      lost.size());
  m_link.SendAll(MarkerRun(RESYNC_MARKERS));
  for (const auto& wire : lost) m_link.SendAll(wire);
  // Video lost on the line is not sent again: a whole picture replaces it, compressed without
  // reference to anything the viewer may have missed.
  if (m_streaming) {
    m_encoder.ForgetHistory();
    SendPicture(true);
  }
}

void Session::SendVideo(const Packet& packet) {
  if (m_stalled || m_done) return;
  Bytes bytes = EncodePacket(packet, m_ciphers.session, m_keys ? &*m_keys : nullptr);
  const bool first = !m_videoSent;
  m_videoSent = true;
  if (first && m_options.faults.badChecksum) {
    Log("corrupting a checksum (fault)");
    bytes.back() ^= 0xFF;
  }
  if (first && m_options.faults.closeMidPacket) {
    Log("closing in the middle of a packet (fault)");
    m_link.SendAll(bytes.data(), bytes.size() / 2);
    throw std::runtime_error("closed in the middle of a packet, as asked");
  }
  Transmit(std::move(bytes));
  m_noisy = true;
}

void Session::SendText(const std::string& text, int seconds) {
  Packet packet{TEXT_MSG, static_cast<std::uint8_t>(seconds), Bytes(text.begin(), text.end())};
  packet.data.push_back(0);
  Send(packet);
}

void Session::CloseWith(const std::string& text) {
  Log("closing: %s", text.c_str());
  SendText(text, 0);
  m_done = true;
}

}  // namespace sim

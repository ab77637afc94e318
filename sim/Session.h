#pragma once
// One viewer's connection, from negotiation to close: login (with the call-back on a modem
// call), keep-alive, echoes, text messages, keys applied to the target, video, the
// administrator's requests, the resending after line errors and the injected faults.

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "Administration.h"
#include "Cipher.h"
#include "LineNoise.h"
#include "Link.h"
#include "Negotiation.h"
#include "Options.h"
#include "Packet.h"
#include "PowerStrip.h"
#include "ResendLog.h"
#include "Target.h"
#include "UnitRecords.h"
#include "VideoEncoder.h"

namespace sim {

class Session {
 public:
  Session(Link& link, const UnitOptions& options, const std::atomic<bool>& stop, Target& target,
          UnitRecords& records);
  // Serves the viewer until either side ends the connection or the unit stops; never throws.
  // `ending` runs before the viewer can see the connection close; the link's owner closes it.
  void Run(const std::function<void()>& ending);

 private:
  void Serve();
  void Handle(const Packet& packet);
  void HandleReplies(const Packet& packet);
  void HandleVideoRequest(const Packet& packet);
  void HandleKey(const Packet& packet);
  void HandleMouse(const Packet& packet);
  void Resend(const Packet& packet);
  void RunTimers();
  void SendAskedChanges();

  void Send(const Packet& packet);
  void SendVideo(const Packet& packet);
  void Transmit(Bytes wire);
  void SendText(const std::string& text, int seconds);
  void Ask();
  void Resize(int width, int height);
  // Renders at this size from now on, starting with a whole picture.
  void DrawAt(int width, int height);
  void SendPicture(bool full);
  void SendFaultsBeforeVideo();
  // Sends a closing text and ends the session once it has gone out.
  void CloseWith(const std::string& text);

  Link& m_link;
  const UnitOptions& m_options;
  const std::atomic<bool>& m_stop;
  Agreement m_agreement;
  PacketReader m_reader;
  PayloadCiphers m_ciphers;  // the session's is NONE until login
  int m_sessionCipher = CIPHER_NONE;
  std::optional<SessionKeys> m_keys;

  bool m_done = false;
  bool m_loggedIn = false;
  bool m_admin = false;
  int m_failures = 0;
  std::string m_challenge;

  Clock::time_point m_started;
  Clock::time_point m_lastFromViewer;
  Clock::time_point m_nextKeepAlive;
  Clock::time_point m_nextFrame;
  int m_keepAlivesSent = 0;

  Target& m_target;
  UnitRecords& m_records;
  Administration m_administration;
  PowerStrip m_strip;
  bool m_screenChanged = false;  // by a key, since the last update
  VideoEncoder m_encoder;
  int m_width = 0, m_height = 0;
  bool m_streaming = false;
  std::uint32_t m_frame = 0;
  int m_lowLevel = LEVEL_COLOUR, m_highLevel = LEVEL_COLOUR;
  bool m_videoSent = false;
  Clock::time_point m_pictureLeft;  // when the last update, rendered and compressed, began to leave
  bool m_noisy = false;             // line noise starts once the first video packet is out
  bool m_stalled = false;
  unsigned m_keystrokes = 0, m_mouseEvents = 0;

  ResendLog m_resendLog;
  LineNoise m_noise;
};

}  // namespace sim

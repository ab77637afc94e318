#pragma once
// The far end of a serial line, played on a pseudo-terminal: a Hayes modem
// with the unit behind it, or the unit's own serial port on a direct cable.
//
// The modem takes AT commands a line at a time (ending with CR), echoes them
// and answers "OK"; ATD gives the scripted result code after a pause, and
// CONNECT puts it in data mode; "+++" in data mode brings it back to
// commands, where ATH hangs up. On a cable, "ATD\r" is answered with
// "CONNECT 57600" at once. In data mode the unit negotiates (accepting the
// viewer's terms and asking for no cipher), logs the viewer in, answers PING
// and, asked with RESEND_FROM, sends a run of resynchronisation markers and
// then every packet from the one the request counts on. A call-back script asks for a call-back
// instead of logging in: it waits to be hung up on, rings until answered, connects, checks the
// viewer's greeting, gives its own and then logs the viewer in.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "protocol/PacketForming.h"
#include "protocol/PacketHeader.h"
#include "protocol/PacketTypes.h"
#include "support/PtyPair.h"

struct ModemScript {
  // A unit on a null-modem cable rather than a modem.
  bool direct = false;
  // The cable's unit answers "ATD\r"; false: it stays silent.
  bool answersDial = true;
  // The modem's final result code for ATD, after dialDelayMs.
  std::string dialResult = "CONNECT 57600";
  int dialDelayMs = 300;
  bool echo = true;
  // Commands answered "ERROR" instead of "OK" (the whole line, with its CR).
  std::vector<std::string> failing = {};
  // No answer at all to any command.
  bool mute = false;
  // The unit behind the line never answers the negotiation.
  bool unitAnswers = true;
  // The unit asks for a call-back after the negotiation.
  bool callBack = false;
  // The call-back rings; false: it never comes.
  bool rings = true;
  // ATA's CONNECT comes this long after the echo. A byte from the viewer
  // meanwhile aborts the answer, as it does on a real modem that is training.
  int answerDelayMs = 1000;
  // What the unit says when called back's greeting arrives.
  std::string callBackReply = "Hello from orb";
  // The unit's first PING_RESPONSE arrives with a broken checksum, once.
  bool corruptFirstReply = false;
  // Bytes of line noise ahead of the marker run.
  std::vector<uint8_t> noise = {0x13, 0x37, 'q', 0x00, 'q', 'v', 0x00};
};

class ScriptedModem {
 public:
  static constexpr int STEP_MS = 50;

  explicit ScriptedModem(ModemScript script) : m_script(std::move(script)) {
    m_thread = std::thread([this] { Run(); });
  }
  ~ScriptedModem() {
    m_stop = true;
    if (m_thread.joinable()) m_thread.join();
  }
  ScriptedModem(const ScriptedModem&) = delete;
  ScriptedModem& operator=(const ScriptedModem&) = delete;

  const std::string& Path() const { return m_pty.SlavePath(); }

  // Every command line the modem was given, with its CR.
  std::vector<std::string> Commands() const {
    std::lock_guard lock(m_mutex);
    return m_commands;
  }
  // The counts RESEND_FROM carried.
  std::vector<uint32_t> ResendRequests() const {
    std::lock_guard lock(m_mutex);
    return m_resends;
  }
  bool Greeted() const { return m_greeted; }
  // The byte the viewer sent after ATA before the modem said CONNECT, which
  // aborted the answer; empty when it waited.
  std::string HeardWhileAnswering() const {
    std::lock_guard lock(m_mutex);
    return m_heardWhileAnswering;
  }
  bool LoggedIn() const { return m_loggedIn; }
  bool HungUpByEscape() const { return m_escaped; }
  // A call (or the cable) is up and the unit has the line.
  bool InDataMode() const { return m_dataMode; }
  // The viewer closed the port.
  bool LineClosed() const { return m_pty.HungUp(); }
  int DialTries() const { return m_dialTries; }

 private:
  static std::vector<uint8_t> Packet(uint8_t type, const std::vector<uint8_t>& data,
                                     uint8_t subtype = 0) {
    static const PayloadCipher plain;
    PacketHeader header(type, subtype);
    return FormPacket(header, plain, {data.data(), data.size()});
  }

  int Next() {
    while (!m_stop) {
      const int byte = m_pty.ReadByte(STEP_MS);
      if (byte >= 0) return byte;
    }
    return -1;
  }
  std::string Line() {
    std::string line;
    for (int byte; (byte = Next()) >= 0;) {
      line += static_cast<char>(byte);
      if (byte == '\r') return line;
    }
    return {};
  }
  std::vector<uint8_t> Bytes(size_t size) {
    std::vector<uint8_t> bytes;
    while (bytes.size() < size) {
      const int byte = Next();
      if (byte < 0) return {};
      bytes.push_back(static_cast<uint8_t>(byte));
    }
    return bytes;
  }
  void Pause(int ms) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!m_stop && std::chrono::steady_clock::now() < end)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  void Say(const std::string& code) { m_pty.Write("\r\n" + code + "\r\n"); }
  void Record(const std::string& line) {
    std::lock_guard lock(m_mutex);
    m_commands.push_back(line);
  }

  void Run() {
    if (m_script.direct ? Cable() : Commands(false)) Unit();
  }

  bool Cable() {
    for (std::string line; !(line = Line()).empty();) {
      Record(line);
      if (line != "ATD\r") continue;
      ++m_dialTries;
      if (!m_script.answersDial) continue;
      m_pty.Write("CONNECT 57600\r\n");
      return true;
    }
    return false;
  }

  // Command mode until a call is connected (true) or the line goes.
  // answering: a call-back rings until ATA.
  bool Commands(bool ringing) {
    auto nextRing = std::chrono::steady_clock::now() + std::chrono::milliseconds(800);
    std::string line;
    while (!m_stop) {
      if (ringing && m_script.rings && std::chrono::steady_clock::now() > nextRing) {
        Say("RING");
        nextRing += std::chrono::milliseconds(1500);
      }
      const int byte = m_pty.ReadByte(STEP_MS);
      if (byte < 0) continue;
      line += static_cast<char>(byte);
      if (byte != '\r') continue;
      Record(line);
      if (m_script.echo) m_pty.Write(line);
      const std::string command = line;
      line.clear();
      if (m_script.mute) continue;
      bool failed = false;
      for (const std::string& failing : m_script.failing) failed = failed || failing == command;
      if (failed) {
        Say("ERROR");
      } else if (command.rfind("ATD", 0) == 0) {
        ++m_dialTries;
        Pause(m_script.dialDelayMs);
        Say(m_script.dialResult);
        if (m_script.dialResult.rfind("CONNECT", 0) == 0) return true;
      } else if (ringing && command == "ATA\r") {
        if (!Train()) {
          Say("NO CARRIER");
          return false;
        }
        Say("CONNECT 57600");
        return true;
      } else {
        Say("OK");
      }
    }
    return false;
  }

  // The answer's training: false when the viewer sent anything before it ended.
  bool Train() {
    const auto end =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(m_script.answerDelayMs);
    while (!m_stop && std::chrono::steady_clock::now() < end) {
      const int byte = m_pty.ReadByte(10);
      if (byte < 0) continue;
      std::lock_guard lock(m_mutex);
      m_heardWhileAnswering += static_cast<char>(byte);
      return false;
    }
    return !m_stop;
  }

  void Unit() {
    m_dataMode = true;
    if (!m_script.unitAnswers) {
      while (Next() >= 0) {
      }
      return;
    }
    if (!Negotiate()) return;
    if (m_script.callBack) {
      Send(Packet(CALL_BACK, {}));
      if (!CallBack()) return;
      m_sent.clear();  // the called-back connection counts afresh
    }
    Send(Packet(LOGGED_IN, {11}, 1));
    m_loggedIn = true;
    Packets();
  }

  std::vector<uint8_t> NegotiationPacket() {
    std::vector<uint8_t> head = Bytes(4);
    if (head.size() < 4) return {};
    const std::vector<uint8_t> options = Bytes(head[2] | head[3] << 8);
    head.insert(head.end(), options.begin(), options.end());
    return head;
  }
  bool Negotiate() {
    std::vector<uint8_t> request = NegotiationPacket();
    if (request.empty()) return false;
    request[0] = 32;
    m_pty.Write(request);
    m_pty.Write(std::vector<uint8_t>{31, 1, 4, 0, 4, 1, 0, 11});
    const std::vector<uint8_t> answer = NegotiationPacket();
    return !answer.empty() && answer[0] == 32;
  }

  // Waits for the viewer's escape and hang-up, then calls it back.
  bool CallBack() {
    std::string seen;
    for (int byte; (byte = Next()) >= 0;) {
      seen += static_cast<char>(byte);
      if (seen.size() >= 3 && seen.compare(seen.size() - 3, 3, "+++") == 0) break;
    }
    if (m_stop) return false;
    m_escaped = true;
    Say("OK");
    // The hang-up command ends the call; the modem then rings for the call-back.
    const std::string hangup = Line();
    Record(hangup);
    if (m_script.echo) m_pty.Write(hangup);
    Say("OK");
    if (!Commands(true)) return false;
    seen.clear();
    for (int byte; (byte = Next()) >= 0;) {
      seen += static_cast<char>(byte);
      if (seen.find("hello from bnvk") != std::string::npos) break;
    }
    if (m_stop) return false;
    m_greeted = true;
    m_pty.Write(m_script.callBackReply);
    // The viewer clears the line after the greeting before it reads packets.
    Pause(1500);
    return m_script.callBackReply == "Hello from orb";
  }

  // Every packet of the session is kept, so a RESEND_FROM can be honoured.
  void Send(std::vector<uint8_t> packet, bool corrupt = false) {
    m_sent.push_back(packet);
    if (corrupt) packet[PACKET_HEADER_SIZE] ^= 0x5A;
    m_pty.Write(packet);
  }

  void Packets() {
    bool corrupted = false;
    while (!m_stop) {
      const std::vector<uint8_t> head = Bytes(PACKET_HEADER_SIZE);
      if (head.size() < PACKET_HEADER_SIZE) return;
      const PacketHeader header = PacketHeader::Parse(head.data());
      if (!header.HasSignature()) continue;
      const std::vector<uint8_t> rest = Bytes(header.PayloadSize);
      if (rest.size() < header.PayloadSize) return;
      const std::vector<uint8_t> data(rest.begin(),
                                      rest.end() - (rest.empty() ? 0 : PACKET_CHECKSUM_SIZE));
      if (header.type == PING) {
        const bool corrupt = m_script.corruptFirstReply && !corrupted;
        corrupted = corrupted || corrupt;
        Send(Packet(PING_RESPONSE, data), corrupt);
      } else if (header.type == RESEND_FROM && data.size() >= 4) {
        const uint32_t from =
            data[0] | data[1] << 8 | data[2] << 16 | static_cast<uint32_t>(data[3]) << 24;
        {
          std::lock_guard lock(m_mutex);
          m_resends.push_back(from);
        }
        std::vector<uint8_t> run = m_script.noise;
        for (uint8_t k = 1; k <= 3; ++k) {
          const std::vector<uint8_t> marker = {
              PACKET_SIGNATURE_1, PACKET_SIGNATURE_2, 0, 0, 0, 0, ERROR_RESYNC, k, 3, 0};
          run.insert(run.end(), marker.begin(), marker.end());
        }
        for (size_t i = from; i < m_sent.size(); ++i)
          run.insert(run.end(), m_sent[i].begin(), m_sent[i].end());
        m_pty.Write(run);
      } else if (header.type == DISCONNECT) {
        return;
      }
    }
  }

  ModemScript m_script;
  PtyPair m_pty;
  std::atomic<bool> m_stop{false};
  mutable std::mutex m_mutex;
  std::vector<std::string> m_commands;
  std::vector<uint32_t> m_resends;
  std::string m_heardWhileAnswering;
  std::vector<std::vector<uint8_t>> m_sent;
  std::atomic<bool> m_greeted{false};
  std::atomic<bool> m_loggedIn{false};
  std::atomic<bool> m_escaped{false};
  std::atomic<bool> m_dataMode{false};
  std::atomic<int> m_dialTries{0};
  std::thread m_thread;
};

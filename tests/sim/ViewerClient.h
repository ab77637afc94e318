#pragma once
// A tiny viewer for driving the simulated unit over loopback or a serial line. It is written
// apart from the simulator's own code (framing, CRC, ciphers, negotiation), so the two check
// each other. Every read gives up after a few seconds, so no test can hang.

#define OPENSSL_SUPPRESS_DEPRECATED
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <openssl/blowfish.h>
#include <openssl/des.h>
#include <openssl/sha.h>
#include <poll.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>
#include <zlib.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace client {

using Bytes = std::vector<std::uint8_t>;

inline std::uint32_t Le32(const std::uint8_t* p) {
  return p[0] | p[1] << 8 | p[2] << 16 | std::uint32_t(p[3]) << 24;
}
inline void AddLe(Bytes& out, std::uint32_t v, int width) {
  for (int i = 0; i < width; ++i) out.push_back((v >> (8 * i)) & 0xFF);
}

// A KBD payload: message, virtual key and key data (32-bit little-endian) and the nine
// modifier bytes, every byte sent as (byte + scramble) modulo 256; `scramble` is the subtype.
inline Bytes KeyPayload(std::uint32_t message, std::uint32_t virtualKey, std::uint32_t keyData,
                        const std::array<std::uint8_t, 9>& modifiers, std::uint8_t scramble) {
  Bytes out;
  AddLe(out, message, 4);
  AddLe(out, virtualKey, 4);
  AddLe(out, keyData, 4);
  out.insert(out.end(), modifiers.begin(), modifiers.end());
  for (auto& b : out) b = std::uint8_t(b + scramble);
  return out;
}

struct Frame {
  std::uint8_t type = 0, subtype = 0, encrypted = 0;
  std::uint16_t payloadSize = 0, dataSize = 0;
  Bytes data;  // decrypted, cut to DataSize
};

class Keys {
 public:
  explicit Keys(const std::string& password) {
    unsigned char digest[20];
    SHA1(reinterpret_cast<const unsigned char*>(password.data()), password.size(), digest);
    BF_set_key(&m_bf, 20, digest);
    char text[21] = {};
    std::memcpy(text, digest, 20);
    DES_cblock k1, k2;
    DES_string_to_2keys(text, &k1, &k2);
    for (int i = 0; i < 8; ++i) m_k3[i] = k1[i] ^ k2[i];
    k1[7] = k2[7] = m_k3[7] = 0;
    DES_set_key_unchecked(&k1, &m_ks[0]);
    DES_set_key_unchecked(&k2, &m_ks[1]);
    DES_set_key_unchecked(&m_k3, &m_ks[2]);
  }
  void Blowfish(Bytes& b, bool encrypt) {
    for (std::size_t at = 0; at + 8 <= b.size(); at += 8) {
      BF_LONG w[2] = {Le32(&b[at]), Le32(&b[at + 4])};
      encrypt ? BF_encrypt(w, &m_bf) : BF_decrypt(w, &m_bf);
      for (int i = 0; i < 8; ++i) b[at + i] = (w[i / 4] >> (8 * (i % 4))) & 0xFF;
    }
  }
  void TripleDes(Bytes& b, bool encrypt) {
    DES_cblock iv;
    std::memcpy(iv, m_k3, 8);
    int num = 0;
    DES_ede3_cfb64_encrypt(b.data(), b.data(), long(b.size()), &m_ks[0], &m_ks[1], &m_ks[2], &iv,
                           &num, encrypt ? DES_ENCRYPT : DES_DECRYPT);
  }
  void Apply(int cipher, Bytes& b, bool encrypt) {
    if (cipher == 13) Blowfish(b, encrypt);
    if (cipher == 12) TripleDes(b, encrypt);
  }

 private:
  BF_KEY m_bf{};
  DES_key_schedule m_ks[3]{};
  DES_cblock m_k3{};
};

class Viewer {
 public:
  static constexpr int TIMEOUT_MS = 5000;

  explicit Viewer(int port) {
    m_fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
      throw std::runtime_error("cannot connect to the simulator");
  }
  // The viewer's end of a serial line, in raw mode.
  explicit Viewer(const std::string& ttyPath) : m_socket(false) {
    m_fd = ::open(ttyPath.c_str(), O_RDWR | O_NOCTTY);
    termios mode{};
    if (m_fd < 0 || ::tcgetattr(m_fd, &mode) != 0) throw std::runtime_error("cannot open the line");
    ::cfmakeraw(&mode);
    ::tcsetattr(m_fd, TCSANOW, &mode);
  }
  ~Viewer() { ::close(m_fd); }
  Viewer(const Viewer&) = delete;
  Viewer& operator=(const Viewer&) = delete;

  void Write(const Bytes& b) {
    const ssize_t put = m_socket ? ::send(m_fd, b.data(), b.size(), MSG_NOSIGNAL)
                                 : ::write(m_fd, b.data(), b.size());
    if (put != ssize_t(b.size())) throw std::runtime_error("send failed");
  }
  void WriteText(const std::string& text) { Write(Bytes(text.begin(), text.end())); }
  // Reads until what arrived ends with `text`; returns all of it.
  std::string ReadUntil(const std::string& text) {
    std::string got;
    while (got.size() < text.size() || got.compare(got.size() - text.size(), text.size(), text))
      got += char(Read(1)[0]);
    return got;
  }
  std::string ReadText(std::size_t n) {
    const Bytes b = Read(n);
    return std::string(b.begin(), b.end());
  }
  // True when nothing arrives for `ms`.
  bool Quiet(int ms) {
    pollfd entry{m_fd, POLLIN, 0};
    return ::poll(&entry, 1, ms) == 0;
  }
  Bytes Read(std::size_t n) {
    Bytes out(n);
    std::size_t got = 0;
    while (got < n) {
      pollfd entry{m_fd, POLLIN, 0};
      if (::poll(&entry, 1, TIMEOUT_MS) != 1) throw std::runtime_error("timed out reading");
      const ssize_t r = ::read(m_fd, out.data() + got, n - got);
      if (r <= 0) throw std::runtime_error("closed");
      got += std::size_t(r);
    }
    return out;
  }
  // True when the unit closes the connection within the time-out (after any bytes).
  bool ClosedByUnit() {
    std::uint8_t sink[4096];
    for (;;) {
      pollfd entry{m_fd, POLLIN, 0};
      if (::poll(&entry, 1, TIMEOUT_MS) != 1) return false;
      if (::read(m_fd, sink, sizeof sink) <= 0) return true;
    }
  }

  // Negotiation, as a compliant viewer: the request of options 0, 2, 3, then an answer to
  // each of the unit's requests until it is acknowledged. Returns the unit's last request.
  struct Option {
    std::uint8_t id;
    Bytes data;
  };
  struct NegPacket {
    std::uint8_t kind = 0, id = 0;
    std::vector<Option> options;
    const Option* Find(std::uint8_t optionId) const {
      for (auto& o : options)
        if (o.id == optionId) return &o;
      return nullptr;
    }
  };
  static Bytes ViewerRequest() {
    return {31, 9, 19, 0, 0, 1, 0, 0, 2, 8, 0, 'T', 'S', 'V', '1', '.', '5', '3', 'b', 3, 1, 0, 7};
  }
  NegPacket ReadNeg() {
    NegPacket p;
    Bytes head = Read(4);
    p.kind = head[0];
    p.id = head[1];
    int remaining = head[2] | head[3] << 8;
    while (remaining > 0) {
      Bytes oh = Read(3);
      const int length = oh[1] | oh[2] << 8;
      p.options.push_back({oh[0], Read(length)});
      remaining -= 3 + length;
    }
    return p;
  }
  static Bytes Serialize(const NegPacket& p) {
    Bytes area;
    for (auto& o : p.options) {
      area.push_back(o.id);
      AddLe(area, std::uint32_t(o.data.size()), 2);
      area.insert(area.end(), o.data.begin(), o.data.end());
    }
    Bytes out{p.kind, p.id};
    AddLe(out, std::uint32_t(area.size()), 2);
    out.insert(out.end(), area.begin(), area.end());
    return out;
  }
  // The viewer's judgement of one option of the unit's request: 0 ack, 1 counter, 2 reject.
  static int Judge(Option& o) {
    switch (o.id) {
      case 1:
        return o.data.at(0) == 1 ? 2 : 0;
      case 2:
        return o.data.size() <= 32 ? 0 : 2;
      case 4:
        if (o.data.at(0) < 11 || o.data.at(0) > 13) {
          o.data[0] = 13;
          return 1;
        }
        return 0;
      case 5:
        return 0;
      case 6:
        return o.data.at(0) >= 11 && o.data.at(0) <= 13 ? 0 : 2;
      case 7:
        if (std::int32_t(Le32(o.data.data())) >= 4) {
          o.data = {3, 0, 0, 0};
          return 1;
        }
        return 0;
      default:
        return 2;
    }
  }
  NegPacket Negotiate() {
    Write(ViewerRequest());
    m_unitAck = ReadNeg();
    for (int round = 0; round < 8; ++round) {
      NegPacket request = ReadNeg();
      NegPacket rejected{34, request.id, {}}, countered{33, request.id, {}};
      for (auto o : request.options) {
        const int verdict = Judge(o);
        if (verdict == 2) rejected.options.push_back(o);
        if (verdict == 1) countered.options.push_back(o);
      }
      if (!rejected.options.empty()) {
        Write(Serialize(rejected));
        continue;
      }
      if (!countered.options.empty()) {
        Write(Serialize(countered));
        continue;
      }
      request.kind = 32;
      Write(Serialize(request));
      if (auto* e = request.Find(4)) m_agreedCipher = e->data[0];
      if (auto* s = request.Find(6)) m_accountsCipher = s->data[0];
      return request;
    }
    throw std::runtime_error("negotiation did not end");
  }
  const NegPacket& UnitAck() const { return m_unitAck; }

  // The cipher in force (11 until logged in), but an accounts list (150) of subtype 1 takes the
  // one agreed for it while the session has none.
  int CipherFor(std::uint8_t type, std::uint8_t subtype) const {
    return type == 150 && subtype == 1 && m_cipher == 11 ? m_accountsCipher : m_cipher;
  }
  // Framing with the cipher in force; `plain` sends in plain whatever the cipher.
  void Send(std::uint8_t type, std::uint8_t subtype, const Bytes& data, bool plain = false) {
    Bytes payload = data;
    const int cipher = CipherFor(type, subtype);
    const bool encrypt = !plain && !data.empty() && (cipher == 12 || cipher == 13);
    if (encrypt) {
      payload.resize((payload.size() + 7) / 8 * 8, 0);
      m_keys->Apply(cipher, payload, true);
    }
    Bytes out{0x71, 0x76};
    AddLe(out, payload.empty() ? 0 : std::uint32_t(payload.size() + 4), 2);
    AddLe(out, std::uint32_t(data.size()), 2);
    out.insert(out.end(), {type, subtype, std::uint8_t(encrypt ? 1 : 0), 0});
    out.insert(out.end(), payload.begin(), payload.end());
    if (!payload.empty())
      AddLe(out, std::uint32_t(crc32(0, payload.data(), uInt(payload.size()))), 4);
    Write(out);
  }
  Frame Receive() {
    Bytes head = Read(10);
    if (head[0] != 0x71 || head[1] != 0x76) throw std::runtime_error("bad signature");
    Frame f;
    f.payloadSize = std::uint16_t(head[2] | head[3] << 8);
    f.dataSize = std::uint16_t(head[4] | head[5] << 8);
    f.type = head[6];
    f.subtype = head[7];
    f.encrypted = head[8];
    if (f.payloadSize == 0) return f;
    Bytes payload = Read(f.payloadSize);
    const std::uint32_t sent = Le32(&payload[payload.size() - 4]);
    payload.resize(payload.size() - 4);
    if (crc32(0, payload.data(), uInt(payload.size())) != sent)
      throw std::runtime_error("bad checksum");
    if (f.encrypted) m_keys->Apply(CipherFor(f.type, f.subtype), payload, false);
    payload.resize(f.dataSize);
    f.data = payload;
    return f;
  }
  // The next packet of a type, skipping keep-alives and the like.
  Frame ReceiveType(std::uint8_t type) {
    for (;;) {
      Frame f = Receive();
      if (f.type == type) return f;
    }
  }

  // Answers the next ASK_USER_QUESTIONS and returns the LOGGED_IN subtype; a successful login
  // switches to the agreed cipher.
  int Login(const std::string& user, const std::string& password) {
    Answer(user, password);
    return AwaitLoggedIn();
  }
  int AwaitLoggedIn() {
    Frame logged = ReceiveType(230);
    if (logged.subtype == 1 || logged.subtype == 2) m_cipher = m_agreedCipher;
    return logged.subtype;
  }
  // Answers the next ASK_USER_QUESTIONS.
  void Answer(const std::string& user, const std::string& password) {
    Frame ask = ReceiveType(200);
    if (ask.subtype != 4) throw std::runtime_error("not a password login");
    std::size_t at = 40;
    std::string questions[4];
    for (int i = 0; i < 4; ++i) {
      const std::size_t length = Le32(&ask.data[4 * i]);
      questions[i].assign(ask.data.begin() + at, ask.data.begin() + at + length - 1);
      at += length;
    }
    m_challenge = questions[2];
    m_keys = std::make_unique<Keys>(password);
    Bytes block(m_challenge.begin(), m_challenge.end());
    block.resize((m_challenge.size() + 1 + 7) / 8 * 8, 0);
    m_keys->Blowfish(block, true);
    std::string hex;
    for (auto b : block) {
      char two[3];
      std::snprintf(two, sizeof two, "%02x", b);
      hex += two;
    }
    const std::string answers[3] = {user, hex, "0D"};
    Bytes payload;
    for (int i = 0; i < 10; ++i)
      AddLe(payload, i < 3 ? std::uint32_t(answers[i].size() + 1) : 0, 2);
    for (auto& a : answers) {
      payload.insert(payload.end(), a.begin(), a.end());
      payload.push_back(0);
    }
    payload.push_back(0);
    Send(210, 3, payload);
  }
  // One key, as the viewer sends it: a fresh scramble byte each time, up to 254.
  void SendKey(std::uint32_t message, std::uint32_t virtualKey, std::uint32_t keyData,
               const std::array<std::uint8_t, 9>& modifiers = {}) {
    m_scramble = std::uint8_t((m_scramble + 101) % 255);
    Send(20, m_scramble, KeyPayload(message, virtualKey, keyData, modifiers, m_scramble));
  }

  const std::string& Challenge() const { return m_challenge; }
  int Cipher() const { return m_cipher; }

 private:
  int m_fd = -1;
  bool m_socket = true;
  NegPacket m_unitAck;
  int m_agreedCipher = 0;
  int m_accountsCipher = 0;
  int m_cipher = 11;
  std::unique_ptr<Keys> m_keys;
  std::string m_challenge;
  std::uint8_t m_scramble = 0;
};

}  // namespace client

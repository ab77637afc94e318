#pragma once
// The framed packet: a 10-byte header, the payload as sent and its CRC-32.

#include <cstdint>
#include <optional>
#include <string>

#include "Bytes.h"

namespace sim {

enum PacketType : std::uint8_t {
  SEGMENT = 10,
  MULTISEGMENT = 11,
  GRAB_SOURCE = 15,
  KBD = 20,
  KBD_LEDS = 26,
  MOUSE = 30,
  FLASH_UPDATE = 40,
  KEEP_ALIVE = 45,
  PING = 46,
  PING_RESPONSE = 47,
  DISCONNECT = 50,
  TEXT_MSG = 60,
  FILL_BMP_WITH_COLOR = 65,
  RESIZE = 70,
  NEW_SIZE = 73,
  SET_COLOR_REDUCTION = 75,
  CHANGE_COLOR_LO_HI = 80,
  TELL_SERVERS_SELECTED = 90,
  ONE_TO_ONE = 110,
  GET_FILE = 122,
  PUT_FILE = 124,
  VIDEO_OFFSETS = 135,
  MISC_CONFIG_DATA = 141,
  USERS_LIST = 150,
  THROUGHPUT_TEST_PACKET = 170,
  THROUGHPUT_OBSERVED = 180,
  ASK_USER_QUESTIONS = 200,
  QUESTION_REPLIES = 210,
  LOGGED_IN = 230,
  CALL_BACK = 232,
  REPAINT = 240,
  RESEND_FROM = 242,
  ERROR_RESYNC = 243,
  TUNE_VIDEO = 245,
  SERVER_CONFIG_DATA = 247,
  SWITCH_SETTINGS = 250,
  REQUEST_SWITCH_SETTINGS = 252,
};

constexpr std::size_t HEADER_SIZE = 10;
constexpr std::uint8_t SIGNATURE_1 = 0x71;
constexpr std::uint8_t SIGNATURE_2 = 0x76;
// The viewer's payload buffer; larger packets are never sent (except as an injected fault).
constexpr std::size_t MAX_WIRE_PAYLOAD = 60000;

struct Packet {
  std::uint8_t type = 0;
  std::uint8_t subtype = 0;
  Bytes data;              // the meaningful bytes, DataSize of them
  bool encrypted = false;  // as received; a packet to send is encrypted as its cipher says
};

// The cipher a payload travels under: the session's, except that the accounts list never goes
// in plain: while the session has no cipher, it takes the one agreed for it (-1 when none).
struct PayloadCiphers {
  int session = 11;  // NONE
  int accountsList = -1;

  int ForSending(std::uint8_t type) const;
  int ForReceiving(std::uint8_t type, std::uint8_t subtype) const;
};

class SessionKeys;

std::uint32_t Crc(const std::uint8_t* bytes, std::size_t n);

// Header, payload encrypted with `cipher` (padded as it requires) and checksum.
Bytes EncodePacket(const Packet& packet, int cipher, const SessionKeys* keys);

// Cuts whole packets out of a byte stream. Checks the signature, the checksum and every size
// against the bytes present; throws std::runtime_error with a reason on a broken stream.
class PacketReader {
 public:
  void Append(const std::uint8_t* bytes, std::size_t n) {
    m_buffer.insert(m_buffer.end(), bytes, bytes + n);
  }
  // The next whole packet, decrypted with its cipher when marked encrypted; nothing when more
  // bytes are needed.
  std::optional<Packet> Next(const PayloadCiphers& ciphers, const SessionKeys* keys);

 private:
  Bytes m_buffer;
};

const char* TypeName(std::uint8_t type);

}  // namespace sim

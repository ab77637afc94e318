#include "Packet.h"

#include <zlib.h>

#include <stdexcept>

#include "Cipher.h"

namespace sim {

std::uint32_t Crc(const std::uint8_t* bytes, std::size_t n) {
  return static_cast<std::uint32_t>(crc32(0L, bytes, static_cast<uInt>(n)));
}

Bytes EncodePacket(const Packet& packet, int cipher, const SessionKeys* keys) {
  if (packet.data.size() > 0xFFFF) throw std::runtime_error("packet data over 65,535 bytes");
  Bytes payload = packet.data;
  const bool encrypt = !payload.empty() && cipher != CIPHER_NONE && cipher != 10;
  if (encrypt) {
    if (!keys) throw std::runtime_error("no keys to encrypt with");
    payload.resize(PaddedSize(cipher, payload.size()), 0);
    keys->Encrypt(cipher, payload);
  }
  const std::size_t wire = payload.empty() ? 0 : payload.size() + 4;
  if (wire > 0xFFFF) throw std::runtime_error("packet payload over 65,535 bytes");

  Bytes out{SIGNATURE_1, SIGNATURE_2};
  PutLe16(out, static_cast<std::uint32_t>(wire));
  PutLe16(out, static_cast<std::uint32_t>(packet.data.size()));
  out.push_back(packet.type);
  out.push_back(packet.subtype);
  out.push_back(encrypt ? 1 : 0);
  out.push_back(0);
  if (!payload.empty()) {
    out.insert(out.end(), payload.begin(), payload.end());
    PutLe32(out, Crc(payload.data(), payload.size()));
  }
  return out;
}

int PayloadCiphers::ForSending(std::uint8_t type) const {
  return type == USERS_LIST && (session == CIPHER_NONE || session == 10) ? accountsList : session;
}

int PayloadCiphers::ForReceiving(std::uint8_t type, std::uint8_t subtype) const {
  return subtype == 1 ? ForSending(type) : session;
}

std::optional<Packet> PacketReader::Next(const PayloadCiphers& ciphers, const SessionKeys* keys) {
  if (m_buffer.size() < HEADER_SIZE) return std::nullopt;
  const std::uint8_t* head = m_buffer.data();
  if (head[0] != SIGNATURE_1 || head[1] != SIGNATURE_2)
    throw std::runtime_error("packet signature not found where expected");
  const std::size_t wire = GetLe16(head + 2);
  const std::size_t dataSize = GetLe16(head + 4);
  if (wire != 0 && wire < 4) throw std::runtime_error("payload size too small for a checksum");
  if (m_buffer.size() < HEADER_SIZE + wire) return std::nullopt;

  Packet packet;
  packet.type = head[6];
  packet.subtype = head[7];
  packet.encrypted = head[8] != 0;
  Bytes payload(m_buffer.begin() + HEADER_SIZE, m_buffer.begin() + HEADER_SIZE + wire);
  m_buffer.erase(m_buffer.begin(), m_buffer.begin() + HEADER_SIZE + wire);
  if (!payload.empty()) {
    const std::uint32_t sent = GetLe32(&payload[payload.size() - 4]);
    payload.resize(payload.size() - 4);
    if (Crc(payload.data(), payload.size()) != sent)
      throw std::runtime_error(std::string("bad checksum on ") + TypeName(packet.type));
  }
  if (dataSize > payload.size())
    throw std::runtime_error("DataSize " + std::to_string(dataSize) + " exceeds the payload of " +
                             std::to_string(payload.size()) + " bytes");
  if (packet.encrypted) {
    const int cipher = ciphers.ForReceiving(packet.type, packet.subtype);
    if (cipher == CIPHER_NONE || cipher == 10 || !keys)
      throw std::runtime_error("encrypted packet before a cipher was agreed");
    if (payload.size() % 8 != 0) throw std::runtime_error("encrypted payload is not whole blocks");
    keys->Decrypt(cipher, payload);
  }
  payload.resize(dataSize);
  packet.data = std::move(payload);
  return packet;
}

const char* TypeName(std::uint8_t type) {
  switch (type) {
    case SEGMENT:
      return "SEGMENT";
    case MULTISEGMENT:
      return "MULTISEGMENT";
    case GRAB_SOURCE:
      return "GRAB_SOURCE";
    case KBD:
      return "KBD";
    case KBD_LEDS:
      return "KBD_LEDS";
    case MOUSE:
      return "MOUSE";
    case FLASH_UPDATE:
      return "FLASH_UPDATE";
    case KEEP_ALIVE:
      return "KEEP_ALIVE";
    case PING:
      return "PING";
    case PING_RESPONSE:
      return "PING_RESPONSE";
    case DISCONNECT:
      return "DISCONNECT";
    case TEXT_MSG:
      return "TEXT_MSG";
    case FILL_BMP_WITH_COLOR:
      return "FILL_BMP_WITH_COLOR";
    case RESIZE:
      return "RESIZE";
    case NEW_SIZE:
      return "NEW_SIZE";
    case SET_COLOR_REDUCTION:
      return "SET_COLOR_REDUCTION";
    case CHANGE_COLOR_LO_HI:
      return "CHANGE_COLOR_LO_HI";
    case TELL_SERVERS_SELECTED:
      return "TELL_SERVERS_SELECTED";
    case ONE_TO_ONE:
      return "ONE_TO_ONE";
    case VIDEO_OFFSETS:
      return "VIDEO_OFFSETS";
    case MISC_CONFIG_DATA:
      return "MISC_CONFIG_DATA";
    case THROUGHPUT_TEST_PACKET:
      return "THROUGHPUT_TEST_PACKET";
    case THROUGHPUT_OBSERVED:
      return "THROUGHPUT_OBSERVED";
    case ASK_USER_QUESTIONS:
      return "ASK_USER_QUESTIONS";
    case QUESTION_REPLIES:
      return "QUESTION_REPLIES";
    case LOGGED_IN:
      return "LOGGED_IN";
    case CALL_BACK:
      return "CALL_BACK";
    case REPAINT:
      return "REPAINT";
    case RESEND_FROM:
      return "RESEND_FROM";
    case ERROR_RESYNC:
      return "ERROR_RESYNC";
    case TUNE_VIDEO:
      return "TUNE_VIDEO";
    case GET_FILE:
      return "GET_FILE";
    case PUT_FILE:
      return "PUT_FILE";
    case USERS_LIST:
      return "USERS_LIST";
    case SERVER_CONFIG_DATA:
      return "SERVER_CONFIG_DATA";
    case SWITCH_SETTINGS:
      return "SWITCH_SETTINGS";
    case REQUEST_SWITCH_SETTINGS:
      return "REQUEST_SWITCH_SETTINGS";
  }
  return "Unknown";
}

}  // namespace sim

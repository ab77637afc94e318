#include "admin/FlashUpdate.h"

#include <array>
#include <filesystem>
#include <system_error>

#include "platform/TextError.h"
#include "protocol/LittleEndian.h"
#include "protocol/PacketTypes.h"

namespace admin {

uint8_t FlashImageKind(const std::string& path) {
  const std::string name = std::filesystem::path(path).filename().string();
  if (name.find(".FlashPCI") != std::string::npos) return FLASH_KIND_FLASH_PCI;
  if (name.find(".bin") != std::string::npos) return FLASH_KIND_BIN;
  return FLASH_KIND_NONE;
}

std::string FlashNotConnectedText(const std::string& productName) {
  return "Connect to the " + productName + " first.";
}

std::string FlashFailureText(const std::string& productName, bool connectionLost) {
  std::string text = "Unable to update the flash.\n";
  if (connectionLost) text += "Connection with " + productName + " was lost.";
  return text;
}

std::string FlashFailureDetail(const std::string& message) {
  return "Could not send flash update.\n" + message;
}

FlashUpdate::FlashUpdate(const std::string& path, uint8_t kind) : m_path(path), m_kind(kind) {
  std::error_code error;
  const auto size = std::filesystem::file_size(path, error);
  if (error) throw TextError("Could not obtain file size.");
  m_size = size;
  m_file.open(path, std::ios::binary);
  if (!m_file) throw TextError("Can't open " + path);
}

size_t FlashUpdate::SendNextChunk(session::Session& session) {
  if (m_done) return 0;
  std::array<uint8_t, 4 + FLASH_CHUNK_BYTES> chunk;
  m_file.read(reinterpret_cast<char*>(chunk.data() + 4), FLASH_CHUNK_BYTES);
  const auto count = static_cast<size_t>(m_file.gcount());
  if (m_file.bad() || (count < FLASH_CHUNK_BYTES && !m_file.eof()))
    throw TextError("Could not read " + m_path);
  const bool last = count < FLASH_CHUNK_BYTES;
  StoreLE32(chunk.data(), last ? FLASH_END_CHUNK : m_index);
  PacketHeader header(FLASH_UPDATE, m_kind);
  session.SendPacket(header, {chunk.data(), 4 + count});
  if (!session.IsConnected()) throw TextError(FLASH_CONNECTION_LOST);
  ++m_index;
  m_sent += count;
  m_done = last;
  return count;
}

}  // namespace admin

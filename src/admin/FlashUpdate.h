#pragma once
// Firmware images to the unit: FLASH_UPDATE packets with the image kind as
// subtype, each a chunk word and up to 4,996 bytes of the file in file order.
// A full chunk carries its index and a shorter one, which ends the image,
// 0xFFFFFFFF. An image whose size is a multiple of the chunk (or an empty
// one) ends with a chunk that is only the end word, so the unit always
// learns where the image stops and never flashes a part of one.

#include <cstdint>
#include <fstream>
#include <string>

#include "session/Session.h"

namespace admin {

inline constexpr size_t FLASH_CHUNK_BYTES = 4996;
inline constexpr uint32_t FLASH_END_CHUNK = 0xFFFFFFFF;
inline constexpr uint8_t FLASH_KIND_NONE = 0;
inline constexpr uint8_t FLASH_KIND_BIN = 1;
inline constexpr uint8_t FLASH_KIND_FLASH_PCI = 2;

inline constexpr const char* FLASH_NOT_AN_UPDATE =
    "This file is not a flash update.  Flash updates should have an extension of '.bin'\n";
inline constexpr const char* FLASH_SENT = "Flash update sent.";
inline constexpr const char* FLASH_CONNECTION_LOST = "Connection lost.";
inline constexpr const char* FLASH_UNKNOWN_FAILURE_TITLE = "Unable to update the flash";
inline constexpr const char* FLASH_UNKNOWN_FAILURE_TEXT =
    "An unknown error occured while attempting to send a flash update.";

// The kind by the file's name (its last path component): ".FlashPCI" anywhere
// in it gives 2, else ".bin" gives 1, else FLASH_KIND_NONE. Case counts.
uint8_t FlashImageKind(const std::string& path);

std::string FlashNotConnectedText(const std::string& productName);
// The error dialog's text and detail for a failure while sending.
std::string FlashFailureText(const std::string& productName, bool connectionLost);
std::string FlashFailureDetail(const std::string& message);

// One image on its way: opened at construction, then sent one chunk per call.
class FlashUpdate {
 public:
  // Throws "Could not obtain file size." or "Can't open " + path.
  FlashUpdate(const std::string& path, uint8_t kind);

  uint64_t Size() const { return m_size; }
  uint64_t Sent() const { return m_sent; }
  // True once the end chunk has gone.
  bool Done() const { return m_done; }
  // Sends the next chunk; throws "Connection lost." when the session is gone
  // afterwards, or the file's read failure. Returns the file bytes it carried.
  size_t SendNextChunk(session::Session& session);

 private:
  std::string m_path;
  uint8_t m_kind;
  std::ifstream m_file;
  uint64_t m_size = 0;
  uint64_t m_sent = 0;
  uint32_t m_index = 0;
  bool m_done = false;
};

}  // namespace admin

#pragma once
// A firmware image arriving as FLASH_UPDATE packets: the image kind in the subtype (1 or 2),
// then per packet a 32-bit chunk word and the image's bytes. Full chunks of 4,996 bytes carry
// their index from 0 in order; the chunk with the word 0xFFFFFFFF (up to 4,996 bytes, perhaps
// none) ends the image. Only a whole, well-ordered image is written; anything else is refused
// once, and the rest of that image is dropped until its end chunk or a new chunk 0.

#include <cstdint>
#include <optional>
#include <string>

#include "Bytes.h"
#include "Packet.h"

namespace sim {

class FlashImage {
 public:
  static constexpr std::size_t CHUNK = 4996;
  static constexpr std::uint32_t END = 0xFFFFFFFF;
  // What the unit's flash holds; a larger image is refused.
  static constexpr std::size_t CAPACITY = 16 * 1024 * 1024;

  // refuseWrite: the unit cannot write its flash. Returns the refusal to tell the viewer.
  std::optional<std::string> Take(const Packet& chunk, bool admin, bool refuseWrite);

  // The last image written, and how many have been.
  const Bytes& Written() const { return m_written; }
  int WrittenCount() const { return m_writtenCount; }

 private:
  enum class State { Idle, Receiving, Dropping };
  std::string Refuse(const std::string& why, bool imageOver);
  void Reset();

  State m_state = State::Idle;
  std::uint8_t m_kind = 0;
  std::uint32_t m_next = 0;
  Bytes m_image;
  Bytes m_written;
  int m_writtenCount = 0;
};

}  // namespace sim

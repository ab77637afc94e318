#include "FlashImage.h"

#include "Log.h"

namespace sim {

namespace {

constexpr std::size_t WORD = 4;

}  // namespace

void FlashImage::Reset() {
  m_state = State::Idle;
  m_next = 0;
  m_image.clear();
}

std::string FlashImage::Refuse(const std::string& why, bool imageOver) {
  Reset();
  // The rest of a refused image is dropped; after its end chunk the next image is welcome.
  if (!imageOver) m_state = State::Dropping;
  return "Flash not updated: " + why + ".";
}

std::optional<std::string> FlashImage::Take(const Packet& chunk, bool admin, bool refuseWrite) {
  if (chunk.data.size() < WORD) {
    if (m_state == State::Dropping) return std::nullopt;
    return Refuse("a chunk came without its chunk word", false);
  }
  const std::uint32_t word = GetLe32(chunk.data.data());
  const std::size_t bytes = chunk.data.size() - WORD;
  // A chunk 0 always starts a new image, whatever became of the one before.
  if (word == 0) Reset();
  if (m_state == State::Dropping) {
    if (word == END) Reset();
    return std::nullopt;
  }
  if (!admin) return Refuse("only an administrator may update it", word == END);
  if (chunk.subtype != 1 && chunk.subtype != 2)
    return Refuse("unknown image kind " + std::to_string(chunk.subtype), word == END);
  if (m_state == State::Receiving && chunk.subtype != m_kind)
    return Refuse("the image kind changed within the image", word == END);
  if (word != END && word != m_next)
    return Refuse("chunk " + std::to_string(word) + " came where chunk " + std::to_string(m_next) +
                      " was due",
                  word == END);
  if (word != END ? bytes != CHUNK : bytes > CHUNK)
    return Refuse("chunk " + (word == END ? std::string("end") : std::to_string(word)) +
                      " carries " + std::to_string(bytes) + " bytes",
                  word == END);
  if (m_image.size() + bytes > CAPACITY)
    return Refuse("the image is larger than the flash", word == END);
  m_state = State::Receiving;
  m_kind = chunk.subtype;
  m_image.insert(m_image.end(), chunk.data.begin() + WORD, chunk.data.end());
  ++m_next;
  if (word != END) return std::nullopt;

  if (m_image.empty()) return Refuse("the image is empty", word == END);
  if (refuseWrite) return Refuse("the unit could not write the image", word == END);
  Log("flash image of %zu bytes (kind %d) written", m_image.size(), m_kind);
  m_written = std::move(m_image);
  ++m_writtenCount;
  Reset();
  return std::nullopt;
}

}  // namespace sim

#include "admin/PowerStripControl.h"

#include <algorithm>

#include "platform/TextError.h"
#include "protocol/PacketTypes.h"

namespace admin {
namespace {

constexpr uint8_t SERIAL_OPEN_REQUEST = 0, SERIAL_WRITE_BYTES = 2, SERIAL_READ_REQUEST = 0;
constexpr uint32_t READ_WANTED = 100, READ_SECOND_VALUE = 4;
constexpr int READ_POLLS = 50;

}  // namespace

PowerStripControl::PowerStripControl(const PowerStripLink& link, StatusLine status)
    : m_link(link), m_status(std::move(status)) {}

void PowerStripControl::Open(const SerialSettings& settings) {
  const std::vector<uint8_t> payload = SerialOpenPayload(settings);
  const int32_t status = AwaitStatus(
      m_link.window, m_link.serial,
      [&] {
        PacketHeader header(SERIAL_OPEN, SERIAL_OPEN_REQUEST);
        m_link.sender.SendPacket(header, {payload.data(), payload.size()});
      },
      OPEN_POLLS);
  if (status < 0) throw TextError("Remote can't open the serial interface to power strip.");
}

bool PowerStripControl::Choose(std::string_view value) {
  const auto now = std::chrono::steady_clock::now();
  // The window keeps running while a command goes out, so a second choice
  // can arrive in the middle of it.
  if (m_sending || (m_chosenBefore && now - m_lastChoice < REPEAT_GUARD)) return false;
  m_chosenBefore = true;
  m_lastChoice = now;
  m_sending = true;
  struct Done {
    PowerStripControl& control;
    ~Done() {
      control.m_sending = false;
      control.m_lastChoice = std::chrono::steady_clock::now();
    }
  } done{*this};
  Send(value);
  return true;
}

void PowerStripControl::Send(std::string_view value) {
  const std::vector<std::string> pieces = CommandPieces(value);
  for (size_t i = 0; i < pieces.size(); ++i) {
    const auto started = std::chrono::steady_clock::now();
    Write(pieces[i]);
    if (i + 1 == pieces.size()) break;
    // The next piece starts a whole spacing after this one began, however
    // long the unit took to take it.
    m_status(PAUSING);
    const auto spacing = std::chrono::milliseconds(PIECE_SPACING_POLLS * REPLY_POLL_INTERVAL_MS);
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        spacing - (std::chrono::steady_clock::now() - started));
    if (left.count() > 0)
      m_link.window.PumpUntil([] { return false; }, static_cast<uint32_t>(left.count()));
  }
  m_status("");
}

void PowerStripControl::Write(const std::string& bytes) {
  // A piece longer than one packet carries goes as several writes, without a
  // pause between them.
  for (size_t offset = 0; offset == 0 || offset < bytes.size(); offset += MAX_WRITE_BYTES) {
    const size_t length = std::min(MAX_WRITE_BYTES, bytes.size() - offset);
    const int32_t status = AwaitStatus(
        m_link.window, m_link.serial,
        [&] {
          PacketHeader header(SERIAL_WRITE, SERIAL_WRITE_BYTES);
          m_link.sender.SendPacket(header, {bytes.data() + offset, length});
        },
        WRITE_POLLS);
    if (status < 0) {
      m_status("");
      throw TextError("Could not communicate with remote.");
    }
  }
}

std::string PowerStripControl::Read() {
  std::string request;
  for (const uint32_t word : {READ_WANTED, READ_SECOND_VALUE})
    for (int shift = 0; shift < 32; shift += 8) request += static_cast<char>(word >> shift);
  const int32_t status = AwaitStatus(
      m_link.window, m_link.serial,
      [&] {
        PacketHeader header(SERIAL_READ, SERIAL_READ_REQUEST);
        m_link.sender.SendPacket(header, {request.data(), request.size()});
      },
      READ_POLLS);
  if (status != 0) throw TextError("Could not communicate with remote.");
  return m_link.serial.text();
}

void PowerStripControl::Close() {
  PacketHeader header(SERIAL_CLOSE, 0);
  m_link.sender.SendPacket(header);
}

}  // namespace admin

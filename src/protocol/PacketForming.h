#pragma once
// Turns a header and up to three payload pieces into the bytes of one packet:
// header, payload (encrypted when the session calls for it) and checksum.
// Sending wraps this with its lock, trace line and transport write; failures
// of the write are worded the same way through ReportSendErrors.

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "platform/TextError.h"
#include "platform/Trace.h"
#include "protocol/PacketHeader.h"
#include "protocol/PayloadCipher.h"

// A piece takes part when its pointer is non-null and its length non-zero.
struct PayloadPiece {
  const void* data = nullptr;
  size_t length = 0;
};

// The most data one packet can carry: padded to cipher blocks and followed by
// the checksum it must still fit the 16-bit PayloadSize.
inline constexpr size_t MAX_PACKET_DATA =
    (0xFFFF - PACKET_CHECKSUM_SIZE) / CIPHER_BLOCK_SIZE * CIPHER_BLOCK_SIZE;

inline constexpr const char* FORMING_ERROR_TEXT =
    "Error forming packet in SendPacket.\n"
    "This is commonly caused by passing payload values by value rather than reference.\n";
inline constexpr const char* SEND_UNKNOWN_ERROR_TEXT = "Unknown error in SendPacket(). \n";

// Fills in DataSize, PayloadSize and the encrypted flag of header and returns
// the packet's bytes. Throws the texts of a failed send.
std::vector<uint8_t> FormPacket(PacketHeader& header, const PayloadCipher& cipher,
                                PayloadPiece piece1 = {}, PayloadPiece piece2 = {},
                                PayloadPiece piece3 = {});

// Runs the encrypting or writing part of a send: a text failure leaves as
// "Error sending: " + text, anything else as the unknown-error text.
template <class Body>
decltype(auto) ReportSendErrors(Body&& body) {
  try {
    return std::forward<Body>(body)();
  } catch (const TextError& e) {
    Trace("Error sending: %s\n", e.what());
    throw TextError("Error sending: " + e.Text());
  } catch (...) {
    Trace("%s", SEND_UNKNOWN_ERROR_TEXT);
    throw TextError(SEND_UNKNOWN_ERROR_TEXT);
  }
}

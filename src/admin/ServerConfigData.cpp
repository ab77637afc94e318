#include "admin/ServerConfigData.h"

#include <zlib.h>

#include <algorithm>
#include <string_view>

#include "platform/TextError.h"
#include "platform/Trace.h"
#include "protocol/LittleEndian.h"
#include "protocol/PacketTypes.h"

namespace admin {
namespace {

constexpr size_t LENGTH_WORD = 4;
constexpr int XML_PROCESSING_CATEGORY = 3100;
// What one packet may carry.
constexpr size_t MAX_PAYLOAD = 60000;

std::string ZlibResultName(int result) {
  switch (result) {
    case Z_BUF_ERROR:
      return "Z_BUF_ERROR";
    case Z_STREAM_END:
      return "Z_STREAM_END";
    case Z_NEED_DICT:
      return "Z_NEED_DICT";
    case Z_DATA_ERROR:
      return "Z_DATA_ERROR";
    case Z_STREAM_ERROR:
      return "Z_STREAM_ERROR";
    case Z_MEM_ERROR:
      return "Z_MEM_ERROR";
    default:
      return "";
  }
}

[[noreturn]] void ThrowZlibError(int result) {
  throw TextError("WARNING: HandleServerConfigData() got ZLib decompression error.\n" +
                  ZlibResultName(result));
}

}  // namespace

std::string HandleServerConfigData(const PacketHeader& header, const uint8_t* payload,
                                   size_t length) {
  const size_t meaningful = std::min<size_t>(header.DataSize, length);
  if (header.subtype != 1) {
    // An empty payload may come without any buffer at all.
    const std::string_view text(reinterpret_cast<const char*>(payload), payload ? meaningful : 0);
    return std::string(text.substr(0, text.find('\0')));
  }
  if (meaningful < LENGTH_WORD)
    throw TextError("HandleServerConfigData() got compressed data without its length.");
  const int32_t declared = static_cast<int32_t>(LoadLE32(payload));
  if (declared < 0 || declared > MAX_SERVER_CONFIG_LENGTH)
    throw TextError("HandleServerConfigData() got compressed data > 400K.");

  std::string text(static_cast<size_t>(declared), '\0');
  z_stream stream{};
  int result = inflateInit(&stream);
  if (result != Z_OK) ThrowZlibError(result);
  stream.next_in = const_cast<Bytef*>(payload + LENGTH_WORD);
  stream.avail_in = static_cast<uInt>(meaningful - LENGTH_WORD);
  stream.next_out = reinterpret_cast<Bytef*>(text.data());
  stream.avail_out = static_cast<uInt>(text.size());
  result = inflate(&stream, Z_SYNC_FLUSH);
  const size_t produced = stream.total_out;
  inflateEnd(&stream);
  if (result != Z_OK) ThrowZlibError(result);
  // A stream shorter than its declared length gives what it holds, not zeros.
  text.resize(produced);
  return text;
}

std::vector<uint8_t> CompressServerConfig(const std::string& text) {
  // The unit reads the text up to its zero, so one inside would cut it short.
  if (text.find('\0') != std::string::npos)
    throw TextError("The configuration text holds a zero byte.");
  const size_t inputLength = text.size() + 1;
  if (inputLength > static_cast<size_t>(MAX_SERVER_CONFIG_LENGTH))
    throw TextError("The configuration text is longer than 400K.");
  TraceCategory(5, XML_PROCESSING_CATEGORY, "Reset zlib stream context.\n");
  z_stream stream{};
  if (deflateInit(&stream, Z_DEFAULT_COMPRESSION) != Z_OK)
    throw TextError("The configuration text could not be compressed.");
  std::vector<uint8_t> payload(LENGTH_WORD + deflateBound(&stream, inputLength) + 16);
  StoreLE32(payload.data(), static_cast<uint32_t>(inputLength));
  TraceCategory(5, XML_PROCESSING_CATEGORY,
                "Point compresseor to %d byte string that starts with: %s\n",
                static_cast<int>(inputLength), text.substr(0, 10).c_str());
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.c_str()));
  stream.avail_in = static_cast<uInt>(inputLength);
  stream.next_out = payload.data() + LENGTH_WORD;
  stream.avail_out = static_cast<uInt>(payload.size() - LENGTH_WORD);
  const int result = deflate(&stream, Z_SYNC_FLUSH);
  const size_t produced = stream.total_out;
  deflateEnd(&stream);
  if (result != Z_OK || stream.avail_in != 0)
    throw TextError("The configuration text could not be compressed.");
  payload.resize(LENGTH_WORD + produced);
  if (produced >= 4)
    TraceCategory(5, XML_PROCESSING_CATEGORY,
                  "First 4 bytes of compressed result: %x  %x  %x  %x\n", payload[4], payload[5],
                  payload[6], payload[7]);

  // What goes out must come back as exactly this text, the way the unit reads it.
  PacketHeader header(SERVER_CONFIG_DATA, 1);
  header.DataSize = static_cast<uint16_t>(std::min<size_t>(payload.size(), UINT16_MAX));
  if (payload.size() > MAX_PAYLOAD)
    throw TextError("The compressed configuration (" + std::to_string(payload.size()) +
                    " bytes) does not fit in one packet.");
  std::string back = HandleServerConfigData(header, payload.data(), payload.size());
  if (back.size() != inputLength || back.back() != '\0' || back.compare(0, text.size(), text) != 0)
    throw TextError("The compressed configuration did not read back as it was written.");
  return payload;
}

void SendServerConfig(PacketSender& sender, const std::string& text) {
  const std::vector<uint8_t> payload = CompressServerConfig(text);
  TraceCategory(5, XML_PROCESSING_CATEGORY, "Sending xml: Input size %d  Output Size %d\n",
                static_cast<int>(text.size() + 1), static_cast<int>(payload.size() - LENGTH_WORD));
  PacketHeader header(SERVER_CONFIG_DATA, 1);
  sender.SendPacket(header, {payload.data(), payload.size()});
}

}  // namespace admin

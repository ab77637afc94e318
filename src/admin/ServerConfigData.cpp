#include "view/ServerConfigData.h"

#include <zlib.h>

#include <algorithm>
#include <string_view>

#include "platform/TextError.h"
#include "protocol/LittleEndian.h"

namespace view {
namespace {

constexpr size_t LENGTH_WORD = 4;

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

}  // namespace view

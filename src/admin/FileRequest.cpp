#include "admin/FileRequest.h"

#include <algorithm>

#include "admin/ReplyWait.h"
#include "platform/TextError.h"
#include "protocol/LittleEndian.h"
#include "protocol/PacketTypes.h"

namespace admin {
namespace {

constexpr size_t LENGTH_WORD = 4;
constexpr int32_t CANNOT_OVERWRITE = 1;
constexpr int32_t CANNOT_OPEN = 2;

void Append(std::vector<uint8_t>& payload, const void* bytes, size_t count) {
  const auto* first = static_cast<const uint8_t*>(bytes);
  payload.insert(payload.end(), first, first + count);
  payload.push_back(0);
}

void AppendLength(std::vector<uint8_t>& payload, size_t count) {
  uint8_t word[LENGTH_WORD];
  StoreLE32(word, static_cast<uint32_t>(count + 1));
  payload.insert(payload.end(), word, word + LENGTH_WORD);
}

}  // namespace

void CheckUnitPath(const std::string& path) {
  const std::string directory = UNIT_FILE_DIRECTORY;
  bool below = path.size() > directory.size() && path.rfind(directory, 0) == 0 &&
               path.find('\0') == std::string::npos;
  // Every step below the directory names something: no empty, "." or "..".
  for (size_t start = directory.size(); below && start <= path.size();) {
    const size_t end = std::min(path.find('/', start), path.size());
    const std::string step = path.substr(start, end - start);
    below = !step.empty() && step != "." && step != "..";
    start = end + 1;
  }
  if (!below) throw TextError("'" + path + "' is not a file below " + directory);
}

void SendGetFile(PacketSender& sender, const std::string& path) {
  CheckUnitPath(path);
  std::vector<uint8_t> payload;
  Append(payload, path.data(), path.size());
  if (payload.size() > MAX_FILE_REQUEST_PAYLOAD) throw TextError("The path is too long.");
  PacketHeader header(GET_FILE, GET_FILE_REQUEST_SUBTYPE);
  sender.SendPacket(header, {payload.data(), payload.size()});
}

std::vector<uint8_t> PutFilePayload(const std::string& path, const std::vector<uint8_t>& data) {
  CheckUnitPath(path);
  std::vector<uint8_t> payload;
  AppendLength(payload, path.size());
  AppendLength(payload, data.size());
  Append(payload, path.data(), path.size());
  Append(payload, data.data(), data.size());
  if (payload.size() > MAX_FILE_REQUEST_PAYLOAD)
    throw TextError("The file is too large to send: at most " +
                    std::to_string(MAX_FILE_REQUEST_PAYLOAD - 2 * LENGTH_WORD - path.size() - 2) +
                    " bytes go with this path.");
  return payload;
}

void SendPutFile(PacketSender& sender, const std::string& path, const std::vector<uint8_t>& data) {
  const std::vector<uint8_t> payload = PutFilePayload(path, data);
  PacketHeader header(PUT_FILE, PUT_FILE_REQUEST_SUBTYPE);
  sender.SendPacket(header, {payload.data(), payload.size()});
}

std::string GetFileFailure(int32_t status) {
  if (status == GET_FILE_READ) return "";
  if (status == REPLY_AWAITED) return NO_RESPONSE;
  if (status == GET_FILE_CUT_SHORT)
    return "The unit's reply was cut short: the file is incomplete.";
  return "The unit could not read the file (status " + std::to_string(status) + ").";
}

std::string PutFileFailure(int32_t status) {
  switch (status) {
    case REPLY_AWAITED:
      return NO_RESPONSE;
    case CANNOT_OVERWRITE:
      return "Could not overwrite remote file.";
    case CANNOT_OPEN:
      return "Could not open file for writing.";
    default:
      return "";
  }
}

}  // namespace admin

#include "admin/PowerSwitchFiles.h"

#include <optional>

#include "admin/FileRequest.h"
#include "admin/PowerSwitchProfile.h"
#include "platform/TextError.h"
#include "protocol/PacketTypes.h"

namespace admin {
namespace {

constexpr uint8_t PUT_FILE_STORE = 1;

void AppendWord(std::string& bytes, uint32_t word) {
  for (int shift = 0; shift < 32; shift += 8) bytes += static_cast<char>(word >> shift);
}

}  // namespace

std::string StoreProblem(std::string_view text, const std::function<bool(int)>& modemOnPort) {
  if (text.empty()) return "Empty file -- nothing to save.";
  if (!HasRequiredFields(text)) return FIELDS_WRONG;
  const std::optional<std::string> port = ProfileValue(text, "Port");
  try {
    if (port && modemOnPort(std::stoi(*port)))
      return "A modem is installed on this serial port.  Change the port and try again.";
  } catch (const std::exception&) {
    // A port that is no number names no modem's port; opening the strip says what is wrong.
  }
  if (text.size() > MAX_PROFILE_CHARS)
    return "The profile is longer than " + std::to_string(MAX_PROFILE_CHARS) +
           " characters; shorten it and try again.";
  return {};
}

std::string PutFilePayload(std::string_view path, std::string_view data) {
  std::string payload;
  AppendWord(payload, static_cast<uint32_t>(path.size() + 1));
  AppendWord(payload, static_cast<uint32_t>(data.size() + 1));
  payload.append(path).push_back('\0');
  payload.append(data).push_back('\0');
  return payload;
}

void LoadActiveProfile(const PowerStripLink& link, ReplyWait& wait, ProfileLoaded loaded) {
  const std::string path = std::string(ACTIVE_PROFILE_PATH) + '\0';
  wait.Start(
      link.file,
      [&] {
        PacketHeader header(GET_FILE, 0);
        link.sender.SendPacket(header, {path.data(), path.size()});
      },
      REPLY_TIMEOUT_MS,
      [file = &link.file, loaded](int32_t status) {
        if (status == GET_FILE_CUT_SHORT) return loaded(GetFileFailure(status), {});
        if (status != GET_FILE_READ)
          return loaded(
              "The unit holds no power strip profile (" + std::string(ACTIVE_PROFILE_PATH) + ").",
              {});
        std::string text = file->Text();
        // The file travels with its terminating zero.
        if (const size_t zero = text.find('\0'); zero != std::string::npos) text.resize(zero);
        loaded({}, text);
      },
      [loaded] { loaded(NO_RESPONSE, {}); });
}

void StoreActiveProfile(const PowerStripLink& link, ReplyWait& wait, std::string_view text,
                        Finished stored) {
  const std::string payload = PutFilePayload(ACTIVE_PROFILE_PATH, text);
  wait.Start(
      link.file,
      [&] {
        PacketHeader header(PUT_FILE, PUT_FILE_STORE);
        link.sender.SendPacket(header, {payload.data(), payload.size()});
      },
      REPLY_TIMEOUT_MS, [stored](int32_t status) { stored(PutFileFailure(status)); },
      [stored] { stored(NO_RESPONSE); });
}

}  // namespace admin

#pragma once
// Reading and writing files on the unit's own file system: GET_FILE with the
// path, PUT_FILE with the path and the data, each text with its terminating
// zero. The unit answers in the subtype; the dispatcher leaves the answer in
// its file-reply mailbox, where a requester waits for it.

#include <cstdint>
#include <string>
#include <vector>

#include "protocol/PacketSender.h"

namespace admin {

inline constexpr const char* UNIT_FILE_DIRECTORY = "/mnt/flash/Quil/";
// One packet carries the request whole.
inline constexpr size_t MAX_FILE_REQUEST_PAYLOAD = 60000;
inline constexpr uint8_t GET_FILE_REQUEST_SUBTYPE = 0;
inline constexpr uint8_t PUT_FILE_REQUEST_SUBTYPE = 1;
inline constexpr int32_t GET_FILE_READ = 1;
// The status the dispatcher leaves for a file reply that claimed more bytes
// than it brought, or than its mailbox holds: what did come is not the file.
inline constexpr int32_t GET_FILE_CUT_SHORT = -11;
inline constexpr const char* NO_RESPONSE = "No response from remote";

// Throws TextError unless path names a file below UNIT_FILE_DIRECTORY.
void CheckUnitPath(const std::string& path);

// Both check the path and throw TextError for a request one packet cannot carry.
void SendGetFile(PacketSender& sender, const std::string& path);
void SendPutFile(PacketSender& sender, const std::string& path, const std::vector<uint8_t>& data);
std::vector<uint8_t> PutFilePayload(const std::string& path, const std::vector<uint8_t>& data);

// The failure an answer's status means (the pending status is no answer at
// all); empty for success.
std::string GetFileFailure(int32_t status);
std::string PutFileFailure(int32_t status);

}  // namespace admin

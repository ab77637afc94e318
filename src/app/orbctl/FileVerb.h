#pragma once
// orbctl file: a file read from or written to the unit's own file system,
// below /mnt/flash/Quil/. Paths and the local file are checked before
// connecting; the unit's answer is awaited for about five seconds.

#include <cstdint>
#include <string>
#include <vector>

#include "HeadlessClient.h"

namespace orbctl {

struct UnitFileRequest {
  bool put = false;
  std::string unitPath;
  std::string localFile;
  std::vector<uint8_t> data;  // put: the local file's bytes
};

// get UNIT_PATH LOCAL_FILE | put LOCAL_FILE UNIT_PATH. Throws UsageError.
UnitFileRequest ParseUnitFileArguments(const std::vector<std::string>& arguments);

// Logs in, sends the request and waits for the answer: get saves the file
// the unit sent, put fails unless the unit stored it. Throws TextError.
void RunUnitFile(HeadlessClient& client, const UnitFileRequest& request);

}  // namespace orbctl

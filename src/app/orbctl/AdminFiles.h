#pragma once
// orbctl switch and config: the unit's switch table and configuration
// document to and from local files. What is put is read and checked before
// connecting; a file with problems is listed and nothing is sent.

#include <string>
#include <vector>

#include "HeadlessClient.h"
#include "admin/SwitchSettings.h"

namespace orbctl {

struct FileRequest {
  bool put = false;
  std::string file;
};

// get FILE | put FILE, for the verb named. Throws UsageError.
FileRequest ParseFileArguments(const std::string& verb, const std::vector<std::string>& arguments);

// The table in the file, checked; its problems are a UsageError.
admin::SwitchSettings ReadSwitchFile(const std::string& file,
                                      const admin::SwitchModelNames& models);
// get: asks the unit for its table and saves it (CR LF); put: sends the
// table, asks for it again and fails unless the unit holds what was sent.
void RunSwitch(HeadlessClient& client, const FileRequest& request,
               const admin::SwitchModelNames& models);

// get: waits for the document the unit sends an administrator and saves it;
// put: sends the document read from the file (read before connecting).
void RunConfig(HeadlessClient& client, const FileRequest& request);

}  // namespace orbctl

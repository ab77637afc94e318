#pragma once
// orbctl flash: a firmware image to the unit. The image's kind comes from its
// name and the file is opened before connecting; what the unit refuses, or a
// link lost on the way, fails the command.

#include <memory>
#include <string>
#include <vector>

#include "HeadlessClient.h"
#include "admin/FlashUpdate.h"

namespace orbctl {

// IMAGE. Throws UsageError for bad arguments, a name of no image kind and a
// file that cannot be opened.
std::unique_ptr<admin::FlashUpdate> ParseFlashArguments(const std::vector<std::string>& arguments);

// Logs in and sends the image chunk by chunk, with a progress line on
// standard error when that is a terminal. Throws TextError.
void RunFlash(HeadlessClient& client, admin::FlashUpdate& update, const std::string& productName);

}  // namespace orbctl
